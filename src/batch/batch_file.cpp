#include "batch/batch_file.h"
