#include "trace/wavelength.h"

#include <gtest/gtest.h>

namespace {

TEST(ConvertWavelengthField, ReadsTenthsAndWholeNanometres) {
  struct Case { std::int16_t field; std::int32_t nm; };
  const Case cases[] = {
      {15500, 1550}, {13100, 1310}, {13105, 1311}, {13104, 1310}, {8500, 850}, {16250, 1625},
      // Whole-nanometre fields keep their value, including those not ending in 0.
      {1550, 1550}, {1310, 1310}, {850, 850}, {1625, 1625}, {1383, 1383}, {1999, 1999},
      {2000, 200}, {0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(ConvertWavelengthField(c.field), c.nm);
  }
}

TEST(NominalWavelengthNm, TakesTheBandOfEitherFieldUnit) {
  struct Case { std::int16_t field; std::int32_t nm; };
  const Case cases[] = {
      {13096, 1310}, {13084, 1310}, {13049, 1300}, {15500, 1550}, {15486, 1550}, {1310, 1310}, {1625, 1625},
      {1554, 1550}, {16513, 1650}, {8500, 850},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(NominalWavelengthNm(c.field), c.nm);
  }
}

TEST(WavelengthBandNm, TakesTheNearestListedWavelength) {
  struct Case { double nm; std::int32_t band; };
  const Case cases[] = {
      {1308.4, 1310}, {1312.9, 1310}, {1548.6, 1550}, {1651.3, 1650}, {1625.0, 1625}, {1637.0, 1625},
      {1304.0, 1300}, {1305.0, 1300}, {1383.0, 1383}, {9999.0, 1650},
      // A file that gives no wavelength is taken as single-mode 1310 nm, not as the nearest 850 nm.
      {0.0, 1310}, {199.9, 1310}, {200.0, 850},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nm);
    EXPECT_EQ(WavelengthBandNm(c.nm), c.band);
  }
}

}  // namespace
