// The pattern library in patterns/: every file reads, says where its facts come from and what
// it fits, and its edges are the ones described in library_edges.txt. With
// VELOMIRA_REWRITE_GOLDEN=1 the test writes that file anew (review the difference).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pattern/pattern_file.h"
#include "pattern/pattern_library.h"
#include "pattern_description.h"
#include "support/files.h"

namespace vm {
namespace {

std::vector<PatternListEntry> Library() { return ListPatterns({VELOMIRA_PATTERN_LIBRARY}); }

TEST(PatternLibrary, EveryFileReadsWithItsSourceAndEdgesInOrder) {
  const std::vector<PatternListEntry> library = Library();
  EXPECT_GE(library.size(), 40u);
  for (const PatternListEntry& entry : library) {
    SCOPED_TRACE(entry.path);
    const PatternReading reading = LoadPatternFile(entry.path);
    ASSERT_TRUE(reading.ok) << PatternErrorText(reading.error);
    const Pattern& pattern = reading.pattern;
    EXPECT_EQ(pattern.name, entry.name);
    EXPECT_FALSE(pattern.sources.empty());
    EXPECT_FALSE(pattern.fits.empty());
    for (const PatternTrack* track : {&pattern.crank, &pattern.cam}) {
      if (track == &pattern.cam && !pattern.hasCam) continue;
      const std::vector<PatternEdge> edges = TrackEdges(*track, pattern.cycle);
      ASSERT_FALSE(edges.empty());
      for (size_t i = 0; i < edges.size(); ++i) {
        EXPECT_GE(edges[i].angle, 0);
        EXPECT_LT(edges[i].angle, pattern.cycle);
        if (i > 0) { EXPECT_LT(edges[i - 1].angle, edges[i].angle); }
        // Rises and falls alternate around the whole cycle.
        EXPECT_NE(edges[i].rising, edges[(i + 1) % edges.size()].rising);
      }
    }
  }
}

std::string DescribeLibrary() {
  std::string text;
  for (const PatternListEntry& entry : Library()) {
    const PatternReading reading = LoadPatternFile(entry.path);
    const Pattern& pattern = reading.pattern;
    text += entry.name + "  cycle " + FormatAngle(pattern.cycle) + "\n";
    text += "  crank " + test::DescribeTrack(pattern.crank, pattern.cycle, 8, "        ") + "\n";
    if (pattern.hasCam) text += "  cam   " + test::DescribeTrack(pattern.cam, pattern.cycle, 8, "        ") + "\n";
  }
  return text;
}

TEST(PatternLibrary, EdgesAreTheGoldenOnes) {
  const std::string described = DescribeLibrary();
  if (const char* rewrite = std::getenv("VELOMIRA_REWRITE_GOLDEN"); rewrite != nullptr && std::string(rewrite) == "1") {
    test::WriteFile(VELOMIRA_PATTERN_GOLDEN, described);
  }
  EXPECT_EQ(described, test::ReadFile(VELOMIRA_PATTERN_GOLDEN))
      << "the library's edges changed; rerun with VELOMIRA_REWRITE_GOLDEN=1 and review the difference";
}

}  // namespace
}  // namespace vm
