#include "panes/parameters_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "info_pane_fixture.h"

class ParametersTextTest : public InfoPaneTest {};

TEST_F(ParametersTextTest, ShowsTheAcquisitionParametersOfTheFixture) {
  const PaneLines lines = ParametersLines(*doc, Unit("km"));
  const std::vector<std::pair<std::string, std::string>> expected{
      {"Range : ", " 10.0 km"},          {"PulseWidth : ", "  100ns "},
      {"Wavelength : ", "  1550nm "},    {"IOR : ", "  1.46820 "},
      {"Scatter Coef. : ", " -81.0 dB"}, {"Average Time : ", " 01:02:05 "},
      {"End Threshold : ", "  3.000 dB"}, {"NRefl.Threshold : ", "  0.050 dB"},
      {"Refl. Threshold : ", " -40.000 dB"}, {"Samp. Dist:", " 10.00 m"},
  };
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].label, expected[i].first);
    EXPECT_EQ(lines[i].value, expected[i].second);
    EXPECT_EQ(lines[i].valueX, kParametersValueX);
  }
  EXPECT_EQ(ParametersLines(*doc, Unit("kft"))[0].value, " 32.8 kft");
  EXPECT_EQ(ParametersLines(*doc, Unit("mi"))[0].value, "  6.2 mi");
}

TEST_F(ParametersTextTest, AutomaticRangeShowsAutoWithoutUnit) {
  doc->m_FibreParams.Range = 0.0f;
  for (const char* unit : {"km", "kft", "mi"}) EXPECT_EQ(ParametersLines(*doc, Unit(unit))[0].value, "Auto");
}

TEST_F(ParametersTextTest, ReflectanceThresholdShowsItsMagnitudeAsNegative) {
  doc->m_FibreParams.ReflectanceThreshold = 40.0f;
  EXPECT_EQ(ParametersLines(*doc, Unit("km"))[8].value, " -40.000 dB");
}

TEST(AveragingTimeTextTest, ShowsHoursMinutesSecondsUpToTwoHours) {
  InitLanguageTable();
  SelectLanguage(LanguageColumn::English);
  EXPECT_EQ(FormatAveragingTime(0), "Unlimited");
  EXPECT_EQ(FormatAveragingTime(3725), " 01:02:05 ");
  EXPECT_EQ(FormatAveragingTime(7200), " 02:00:00 ");
  EXPECT_EQ(FormatAveragingTime(7201), " -----");
  EXPECT_EQ(FormatAveragingTime(-3), " -----");
}

TEST(SampleDistanceTextTest, ChoosesItsOwnSmallUnit) {
  struct Case {
    float spacingKm;
    const char* unit;
    const char* text;
  };
  const Case cases[] = {
      {0.00051f, "km", " 51 cm"},
      {0.002f, "km", " 2.00 m"},
      {0.0001f, "kft", "  4 in"},
      {0.002f, "kft", " 6.56 ft"},
      {0.0005f, "mi", " 20 in"},
      {static_cast<float>(0.005 / 0.62137119), "mi", "8.80 yd"},
      {static_cast<float>(0.01 / 0.62137119), "mi", " 17.60 yd"},
  };
  for (const Case& c : cases) {
    const LengthUnit unit{c.unit, LengthUnitFactor(c.unit).value_or(1.0)};
    EXPECT_EQ(FormatSampleDistance(c.spacingKm, unit), c.text) << c.spacingKm << " " << c.unit;
  }
}
