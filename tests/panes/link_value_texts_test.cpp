#include "panes/link_value_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatLinkValues, MissingValuesReadAsMissingInEveryUnit) {
  const struct {
    const char* what;
    LinkSummaryRecord link;
    float orl;
    double factor;
    const char* unit;
    LinkValueTexts expected;
  } cases[] = {
      {"a measured link", {10.0f, 4.0f, 1.5f, 0.0f, 0.375f}, 36.0184f, 1.0, "km",
       {"4.00000 km", "1.500 dB", "0.375 dB/km", "36.018 dB"}},
      {"in kilofeet", {10.0f, 4.0f, 1.5f, 0.0f, 0.375f}, 36.0184f, 3.280839895, "kft",
       {"13.12336 kft", "1.500 dB", "0.114 dB/kft", "36.018 dB"}},
      {"a file that stores neither loss nor ORL", {10.0f, 4.0f, kMissingValue, 0.0f, kMissingValue}, kMissingValue,
       1.0, "km", {"4.00000 km", "-.--- dB", "-.--- dB/km", "-.--- dB"}},
      {"an ORL of 0 dB or less, which no link has", {10.0f, 4.0f, 1.5f, 0.0f, 0.375f}, 0.0f, 1.0, "km",
       {"4.00000 km", "1.500 dB", "0.375 dB/km", "-.--- dB"}},
      {"no link", {10.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 30.0f, 1.0, "km",
       {"---.---", "---.---", "-.--- dB/km", "30.000 dB"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LinkValueTexts texts = FormatLinkValues(c.link, c.orl, c.factor, c.unit);
    EXPECT_EQ(texts.length, c.expected.length);
    EXPECT_EQ(texts.loss, c.expected.loss);
    EXPECT_EQ(texts.attenuation, c.expected.attenuation);
    EXPECT_EQ(texts.orl, c.expected.orl);
  }
}

// The 2-point ORL of the Marker Information pane and of the printed markers block: a stretch with
// nothing to measure (markers together, or past the end) has no ORL.
TEST(OrlText, NothingToMeasureReadsAsMissing) {
  EXPECT_EQ(OrlText(33.1174f), "33.117 dB");
  for (const float orl : {0.0f, -2.5f, kMissingValue}) EXPECT_EQ(OrlText(orl), "-.--- dB") << orl;
  EXPECT_EQ(PaneValue(OrlText(0.0f)), "  -.--- dB");
  EXPECT_EQ(PaneValue(OrlText(33.1174f)), " 33.117 dB");
}

}  // namespace
