#include "measure/analysis_settings.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <limits>

namespace {

TEST(CheckAnalysisValue, RangesAndRounding) {
  const struct {
    AnalysisField field;
    float value;
    bool accepted;
    int messageRow;
  } cases[] = {
      {AnalysisField::GroupIndex, 0.99999f, false, 316},
      {AnalysisField::GroupIndex, 1.0f, true, 0},
      {AnalysisField::GroupIndex, 1.99999f, true, 0},  // the bound itself, compared as a 32-bit float
      {AnalysisField::GroupIndex, 1.999994f, true, 0}, // rounds to 1.99999 first
      {AnalysisField::GroupIndex, 2.0f, false, 316},
      {AnalysisField::GroupIndex, 0.0f, false, 316},
      {AnalysisField::ScatterCoef, -70.0f, true, 0},
      {AnalysisField::ScatterCoef, -10.0f, true, 0},
      {AnalysisField::ScatterCoef, -9.99f, false, 317},
      {AnalysisField::ScatterCoef, -70.001f, false, 317},  // not rounded
      {AnalysisField::NonReflThreshold, 0.0f, false, 319},
      {AnalysisField::NonReflThreshold, 0.0004f, false, 319},  // shows as 0.000
      {AnalysisField::NonReflThreshold, 0.001f, true, 0},
      {AnalysisField::NonReflThreshold, 5.0f, true, 0},
      {AnalysisField::NonReflThreshold, 5.001f, false, 319},
      {AnalysisField::ReflThreshold, -78.0f, true, 0},
      {AnalysisField::ReflThreshold, -78.01f, false, 318},
      {AnalysisField::ReflThreshold, -78.004f, true, 0},  // shows as -78.00
      {AnalysisField::ReflThreshold, -10.0f, true, 0},
      {AnalysisField::ReflThreshold, -9.0f, false, 318},
      {AnalysisField::EndThreshold, 0.0f, false, 320},
      {AnalysisField::EndThreshold, 30.0f, true, 0},
      {AnalysisField::EndThreshold, 30.001f, false, 320},
      {AnalysisField::EndThreshold, std::numeric_limits<float>::quiet_NaN(), false, 320},
  };
  for (const auto& c : cases) {
    const AnalysisValueCheck check = CheckAnalysisValue(c.field, c.value);
    EXPECT_EQ(check.accepted, c.accepted) << static_cast<int>(c.field) << " " << c.value;
    EXPECT_EQ(check.messageRow, c.messageRow) << static_cast<int>(c.field) << " " << c.value;
  }
  EXPECT_FLOAT_EQ(CheckAnalysisValue(AnalysisField::GroupIndex, 1.4659432f).value, 1.46594f);
  EXPECT_FLOAT_EQ(CheckAnalysisValue(AnalysisField::ReflThreshold, -55.555f).value, -55.56f);
}

class PrefillTest : public ::testing::Test {
 protected:
  ~PrefillTest() override { ResetAnalysisWavelengthTables(); }
};

// The dialog opens on the trace's own settings, whatever was analysed before.
TEST_F(PrefillTest, OpensOnTheTracesOwnSettings) {
  FibreParamsRecord fibre{};
  fibre.Wavelength = 1310;
  fibre.GroupIndex = 1.4671f;
  fibre.Backscatter = -49.6f;
  fibre.LossThreshold = 0.05f;
  fibre.ReflectanceThreshold = 65.0f;  // files store the magnitude
  fibre.EndThreshold = 5.0f;
  const AnalysisSettings s = PrefillAnalysisSettings(fibre);
  EXPECT_EQ(s.wavelengthIndex, 2);
  EXPECT_FLOAT_EQ(s.groupIndex, 1.4671f);
  EXPECT_FLOAT_EQ(s.scatterCoef, -49.6f);
  EXPECT_FLOAT_EQ(s.nonReflThreshold, 0.05f);
  EXPECT_FLOAT_EQ(s.reflThreshold, -65.0f);
  EXPECT_FLOAT_EQ(s.endThreshold, 5.0f);
}

// Values the file never set (0) or that the dialog would refuse open on the entry's table values
// and the constructor thresholds.
TEST_F(PrefillTest, ValuesTheTraceLacksOpenOnTheEntrysValues) {
  FibreParamsRecord fibre{};
  fibre.Wavelength = 1625;
  fibre.Backscatter = -80.0f;
  g_IorByWavelength[6] = 1.4681f;
  const AnalysisSettings s = PrefillAnalysisSettings(fibre);
  EXPECT_EQ(s.wavelengthIndex, 6);
  EXPECT_FLOAT_EQ(s.groupIndex, 1.4681f);
  EXPECT_FLOAT_EQ(s.scatterCoef, g_ScatterByWavelength[6]);
  EXPECT_FLOAT_EQ(s.nonReflThreshold, 0.2f);
  EXPECT_FLOAT_EQ(s.reflThreshold, -56.0f);
  EXPECT_FLOAT_EQ(s.endThreshold, 3.0f);
}

TEST(NearestAnalysisWavelength, PicksTheClosestEntry) {
  const std::vector<std::pair<double, int>> cases = {{0.0, 2},    {850.0, 0},  {1309.6, 2}, {1304.0, 1},
                                                     {1550.0, 5}, {1651.0, 7}, {1637.0, 6}, {9999.0, 7}};
  for (const auto& [nm, entry] : cases) EXPECT_EQ(NearestAnalysisWavelength(nm), entry) << nm;
}

TEST_F(PrefillTest, TablesStartApartFromTheDefaults) {
  EXPECT_FLOAT_EQ(g_ScatterByWavelength[2], -49.6f);
  EXPECT_FLOAT_EQ(AnalysisDefaultValue(AnalysisField::ScatterCoef, 2), -49.4f);
  EXPECT_FLOAT_EQ(AnalysisDefaultValue(AnalysisField::GroupIndex, 2), 1.4659f);
  EXPECT_FLOAT_EQ(AnalysisDefaultValue(AnalysisField::EndThreshold, 2), 3.0f);
}

}  // namespace
