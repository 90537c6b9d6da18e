#pragma once
// Batch files: rows of three numbers in text, one row per line.
