// A pattern's picture: its primitives (tracks, teeth numbered from the gap, the degree scale)
// and their SVG text.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pattern/pattern_picture.h"
#include "pattern/pattern_reader.h"
#include "pattern/picture_svg.h"
#include "pattern_description.h"

namespace vm {
namespace {

using test::Read;

struct GapCase {
  std::string crank;
  size_t first;
};

// clang-format off
const GapCase kGaps[] = {
  {"crank teeth 36 missing 36",           0},  // the gap ends at 0°
  {"crank teeth 6 offset 30 missing 3",   2},  // rises 30 90 | gap | 210 270 330
  {"crank teeth 6 offset 200 missing 3",  0},  // rises 20 80 140 | gap | 320: the tooth after wraps to index 0
  {"crank teeth 6 offset 20 missing 2",   1},  // rises 20 | gap | 140 200 ...
  {"crank teeth 4",                       0},  // no gap: numbered from the cycle's start
  {"crank teeth 6 missing 3, 6",          0},  // equal gaps: the one ending at 0° first
};
// clang-format on

TEST(PatternPicture, TeethAreNumberedFromTheGap) {
  for (const GapCase& c : kGaps) {
    SCOPED_TRACE(c.crank);
    const Pattern pattern = Read(360, c.crank);
    EXPECT_EQ(FirstToothAfterGap(pattern.crank, pattern.cycle), c.first);
  }
}

std::vector<std::string> Texts(const Picture& picture) {
  std::vector<std::string> texts;
  for (const PictureText& text : picture.texts) texts.push_back(text.text);
  return texts;
}

TEST(PatternPicture, DrawsBothTracksTheScaleAndTheToothNumbers) {
  const Pattern pattern = Read(720, "crank teeth 4 offset 200 missing 4\ncam high 710 to 10");
  const Picture picture = DrawPattern(pattern);
  // Six crank teeth, the cam's one high split where it wraps.
  EXPECT_EQ(picture.rects.size(), 6u + 2u);
  const std::vector<std::string> texts = Texts(picture);
  const std::vector<std::string> expected = {"p  d",        "1",           "2",           "3",           "4",
                                             "5",           "6",           "crank",       "cam",         "0\xC2\xB0",
                                             "60\xC2\xB0",  "120\xC2\xB0", "180\xC2\xB0", "240\xC2\xB0", "300\xC2\xB0",
                                             "360\xC2\xB0", "420\xC2\xB0", "480\xC2\xB0", "540\xC2\xB0", "600\xC2\xB0",
                                             "660\xC2\xB0", "720\xC2\xB0"};
  EXPECT_EQ(texts, expected);
  // Tooth 1 is the first after the gap: the one rising at 200°, left of tooth 2 (at 290°).
  EXPECT_LT(picture.texts[1].x, picture.texts[2].x);
  EXPECT_GT(picture.texts[1].x, picture.texts[6].x);
  // A marker lands on the tracks as drawn: at the cam's rise (710°) and the crank's scale ends.
  EXPECT_EQ(PatternPictureX(pattern.cycle, 71000), picture.rects[6].x);
  EXPECT_EQ(PatternPictureX(pattern.cycle, 0), picture.lines.front().x1);
  EXPECT_EQ(PatternPictureX(pattern.cycle, pattern.cycle), picture.lines.front().x2);
  // Every primitive lies inside the picture.
  for (const PictureRect& r : picture.rects) {
    EXPECT_GE(r.x, 0);
    EXPECT_GT(r.width, 0);
    EXPECT_LE(r.x + r.width, picture.width);
    EXPECT_LE(r.y + r.height, picture.height);
  }
}

// Two teeth of 90° on one revolution, where every primitive can be worked out by hand: the plot
// runs from 70 to 1180 pixels, 11100 units for 360°.
TEST(PatternPicture, TwoTeethDrawnWhereTheirAnglesPutThem) {
  const Picture picture = DrawPattern(Read(360, "crank teeth 2"));
  EXPECT_EQ(picture.width, 12000);
  EXPECT_EQ(picture.height, 1600);
  // Each high from its rise to its fall, 40 pixels tall on the base line at 96 pixels.
  const std::vector<PictureRect> teeth = {{700, 560, 2775, 400, PictureInk::Track},
                                          {6250, 560, 2775, 400, PictureInk::Track}};
  EXPECT_EQ(picture.rects, teeth);
  ASSERT_GE(picture.lines.size(), 2u);
  EXPECT_EQ(picture.lines[0], (PictureLine{700, 960, 11800, 960, PictureInk::Track}));
  EXPECT_EQ(picture.lines[1], (PictureLine{700, 1200, 11800, 1200, PictureInk::Scale}));
  // A tick every 10°, each 30° longer and labelled: the fourth at 30°.
  EXPECT_EQ(picture.lines.size(), 2u + 37u);
  EXPECT_EQ(picture.lines[2 + 3], (PictureLine{1625, 1200, 1625, 1280, PictureInk::Scale}));
  // The tooth numbers stand over the middles of their teeth, at 45° and 225°.
  ASSERT_GE(picture.texts.size(), 3u);
  EXPECT_EQ(picture.texts[1], (PictureText{2088, 520, 90, TextAnchor::Middle, "1", PictureInk::Label}));
  EXPECT_EQ(picture.texts[2], (PictureText{7638, 520, 90, TextAnchor::Middle, "2", PictureInk::Label}));
}

// A high that ends at the cycle's end is one rectangle up to the plot's right end; one that
// wraps through 0° is two that meet both ends; neither leaves an empty rectangle.
TEST(PatternPicture, AHighThroughTheCyclesEndIsSplitAtTheEnds) {
  const int32_t right = PatternPictureX(kRevolutionCentidegrees, kRevolutionCentidegrees);
  const int32_t left = PatternPictureX(kRevolutionCentidegrees, 0);
  // clang-format off
  const struct { const char* crank; std::vector<std::pair<int32_t, int32_t>> spans; } cases[] = {
    {"crank high 270 to 360", {{PatternPictureX(36000, 27000), right}}},
    {"crank high 350 to 10",  {{PatternPictureX(36000, 35000), right}, {left, PatternPictureX(36000, 1000)}}},
    {"crank high 0 to 10",    {{left, PatternPictureX(36000, 1000)}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.crank);
    const Picture picture = DrawPattern(Read(360, c.crank));
    std::vector<std::pair<int32_t, int32_t>> spans;
    for (const PictureRect& r : picture.rects) spans.emplace_back(r.x, r.x + r.width);
    EXPECT_EQ(spans, c.spans);
  }
}

TEST(PatternPicture, DenseTeethAreNumberedEveryTenth) {
  const Picture picture = DrawPattern(Read(360, "crank teeth 180"));
  const std::vector<std::string> texts = Texts(picture);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "1"), 1);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "2"), 0);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "180"), 1);
}

TEST(PatternPicture, SvgIsExactAndEscapesText) {
  Picture picture;
  picture.width = 1000;
  picture.height = 300;
  picture.rects.push_back({10, 20, 30, 40, PictureInk::Track});
  picture.lines.push_back({0, 5, 100, 5, PictureInk::Scale});
  picture.texts.push_back({50, 60, 12, TextAnchor::Middle, "a<b & \"c\"", PictureInk::Label});
  EXPECT_EQ(PictureSvg(picture),
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"30\" viewBox=\"0 0 1000 300\">\n"
            "<rect width=\"1000\" height=\"300\" fill=\"#ffffff\"/>\n"
            "<rect x=\"10\" y=\"20\" width=\"30\" height=\"40\" fill=\"#1f5fa8\"/>\n"
            "<line x1=\"0\" y1=\"5\" x2=\"100\" y2=\"5\" stroke=\"#444444\" stroke-width=\"10\"/>\n"
            "<text x=\"50\" y=\"60\" font-family=\"sans-serif\" font-size=\"12\" text-anchor=\"middle\" "
            "fill=\"#000000\">a&lt;b &amp; &quot;c&quot;</text>\n"
            "</svg>\n");
}

}  // namespace
}  // namespace vm
