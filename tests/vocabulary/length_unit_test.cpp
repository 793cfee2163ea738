#include "vocabulary/length_unit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LengthUnitTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetLengthUnit(); }
};

TEST_F(LengthUnitTest, StartsInKilometres) {
  SetLengthUnit("mi");
  ResetLengthUnit();
  EXPECT_EQ(g_LengthUnitName, "km");
  EXPECT_EQ(g_LengthUnitFactor, 1.0);
}

TEST_F(LengthUnitTest, SetLengthUnitTakesTheLabelAndAKnownFactor) {
  struct Case {
    std::string before;  // unit in force before the call
    std::string name;
    double factor;  // factor afterwards
  };
  const std::vector<Case> cases = {
      {"km", "kft", 3.280839895},
      {"kft", "mi", 0.62137119},
      {"mi", "km", 1.0},
      // Other labels are shown as they are and leave the factor of the unit before.
      {"kft", "m", 3.280839895},
      {"mi", "KM", 0.62137119},
      {"km", "", 1.0},
  };
  for (const Case& c : cases) {
    SetLengthUnit(c.before);
    SetLengthUnit(c.name);
    EXPECT_EQ(g_LengthUnitName, c.name) << c.before << " -> " << c.name;
    EXPECT_EQ(g_LengthUnitFactor, c.factor) << c.before << " -> " << c.name;
  }
}

TEST_F(LengthUnitTest, FactorIsKnownOnlyForTheThreeLabels) {
  EXPECT_EQ(LengthUnitFactor("km"), 1.0);
  EXPECT_EQ(LengthUnitFactor("kft"), 3.280839895);
  EXPECT_EQ(LengthUnitFactor("mi"), 0.62137119);
  for (const char* other : {"", "Km", "ft", "mt", "km "}) {
    EXPECT_FALSE(LengthUnitFactor(other).has_value()) << '"' << other << '"';
  }
}

}  // namespace
