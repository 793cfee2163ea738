#include "panes/marker_info_text.h"
#include "panes/trace_values.h"

#include <gtest/gtest.h>

#include <vector>

#include "info_pane_fixture.h"
#include "panes/marker_readings.h"

namespace {

std::vector<std::string> Values(const PaneLines& lines) {
  std::vector<std::string> values;
  for (const PaneLine& line : lines) values.push_back(line.value);
  return values;
}

std::vector<std::string> Labels(const PaneLines& lines) {
  std::vector<std::string> labels;
  for (const PaneLine& line : lines) labels.push_back(line.label);
  return labels;
}

LengthUnit UnitOf(std::string_view name) { return {name, LengthUnitFactor(name).value_or(1.0)}; }

}  // namespace

TEST(MarkerDistanceTextTest, SwitchesToSmallerUnitsForShortSpans) {
  struct Case {
    double km;
    const char* unit;
    const char* text;
    bool inYardsOrInches;
  };
  const Case cases[] = {
      {0.0, "km", " 0.00000 km", false},
      {1.5, "km", " 1.50000 km", false},
      {0.3002, "km", "  300.20 m", false},
      {0.3, "km", "  300.00 m", false},  // whole hundreds of metres stay metres
      {0.0005, "km", "    50.0 cm", false},
      {0.5 / 3.280839895, "kft", "  500.00 ft", false},
      {0.0005 / 3.280839895, "kft", "     6.0 in", false},
      {2.0, "kft", " 6.56168 kft", false},
      {0.05 / 0.62137119, "mi", "   88.00 yd", true},
      {0.0005 / 0.62137119, "mi", "    31.7 in", true},
      {1.0, "mi", " 0.62137 mi", false},
      {0.000001, "mi", " 0.00000 mi", false},  // markers on one sample: no yards
  };
  for (const Case& c : cases) {
    const MarkerDistanceText text = FormatMarkerDistance(c.km, UnitOf(c.unit));
    EXPECT_EQ(text.text, c.text) << c.km << " " << c.unit;
    EXPECT_EQ(text.inYardsOrInches, c.inYardsOrInches) << c.km << " " << c.unit;
  }
}

TEST(MarkerDistanceTextTest, LsaAttenuationWithMilesShownInYardsKeepsItsOwnScale) {
  const LengthUnit mi = UnitOf("mi");
  EXPECT_EQ(FormatLsaAttenuation(0.2, mi, FormatMarkerDistance(0.05, mi)), "  0.566 dB/mi");
  EXPECT_EQ(FormatLsaAttenuation(0.2, mi, FormatMarkerDistance(0.0, mi)), "  0.322 dB/mi");
  EXPECT_EQ(FormatLsaAttenuation(0.2, UnitOf("kft"), FormatMarkerDistance(0.05, UnitOf("kft"))), "  0.061 dB/kft");
}

class MarkerInfoTextTest : public InfoPaneTest {};

TEST_F(MarkerInfoTextTest, ShowsTheFixtureReadingsAndLeavesThemForTheReport) {
  UpdateMarkerReadings(*doc, kHintRefresh, doc->m_MarkerReadings);
  const PaneLines lines = MarkerInfoLines(*doc, doc->m_MarkerReadings, MarkerOrlOf(*doc), UnitOf("km"));
  EXPECT_EQ(Labels(lines), (std::vector<std::string>{"A-B:", "2pt. Loss:", "2pt. Attn.:", "LSA Attn.:", "Ins.Loss at A:",
                                                      "Refl. at A:", "2pt. ORL:", "Cum.Loss to A"}));
  EXPECT_EQ(Values(lines), (std::vector<std::string>{" 4.00000 km", "  0.800 dB", "  0.200 dB/km", "  0.200 dB/km",
                                                      "  0.000 dB", "  --.--- dB", " 38.312 dB", "  0.600 dB"}));
  for (const PaneLine& line : lines) EXPECT_EQ(line.valueX, kMarkerInfoValueX);
  // Seven texts for the report: every value but the ORL, which goes as a number.
  const auto texts = MarkerReadingTexts(*doc, UnitOf("km"));
  const std::vector<std::string> stored(texts.begin(), texts.end());
  EXPECT_EQ(stored, (std::vector<std::string>{" 4.00000 km", "  0.800 dB", "  0.200 dB/km", "  0.200 dB/km",
                                               "  0.000 dB", "  --.--- dB", "  0.600 dB"}));
  EXPECT_NEAR(MarkerOrlOf(*doc), 38.3116f, 0.0005f);
}

TEST_F(MarkerInfoTextTest, LabelsAndReadingsFollowMarkerBWhenItIsActive) {
  doc->m_MarkerState.ActiveMarker = 1;
  UpdateMarkerReadings(*doc, kHintRefresh, doc->m_MarkerReadings);
  const PaneLines lines = MarkerInfoLines(*doc, doc->m_MarkerReadings, MarkerOrlOf(*doc), UnitOf("kft"));
  EXPECT_EQ(Labels(lines)[4], "Ins.Loss at B:");
  EXPECT_EQ(Labels(lines)[5], "Refl at B:");
  EXPECT_EQ(Labels(lines)[7], "Cum.Loss to B");
  EXPECT_EQ(lines[0].value, "13.12336 kft");
  EXPECT_EQ(lines[2].value, "  0.061 dB/kft");
  EXPECT_EQ(lines[7].value, "  1.400 dB");  // 3.4003 dB at 7 km less the 2.0003 dB launch level
}

TEST_F(MarkerInfoTextTest, MissingAndOutOfRangeReadingsShowPlaceholders) {
  struct Case {
    double insLoss, reflectance, cumLoss;
    const char *insText, *reflText, *cumText;
  };
  const Case cases[] = {
      {kMissingValue, kMissingValue, kMissingValue, "  -.--- dB", "  --.--- dB", "  --.--- dB"},
      {32.5, 100.5, 1.0, "  -.--- dB", "  --.--- dB", "  1.000 dB"},
      {-32.0, 45.0, -0.25, "-32.000 dB", "-45.000 dB", " -0.250 dB"},  // a stored +45 dB shows as -45
      {0.35, -14.0, 0.0, "  0.350 dB", "-14.000 dB", "  0.000 dB"},
  };
  for (const Case& c : cases) {
    MarkerReadings r;
    r.m_dInsLoss = c.insLoss;
    r.m_dReflectance = c.reflectance;
    r.m_dCumLoss = c.cumLoss;
    const PaneLines lines = MarkerInfoLines(*doc, r, 0.0f, UnitOf("km"));
    EXPECT_EQ(lines[4].value, c.insText);
    EXPECT_EQ(lines[5].value, c.reflText);
    EXPECT_EQ(lines[7].value, c.cumText);
  }
}
