#include "vocabulary/length_unit.h"

// The factor is constant-initialised; the name is too where the compiler can build a std::string at
// compile time, and nothing reads it during static construction, so no compiler depends on that.
std::string g_LengthUnitName = "km";
constinit double g_LengthUnitFactor = 1.0;

std::optional<double> LengthUnitFactor(std::string_view name) {
  for (const LengthUnit& unit : kLengthUnits) {
    if (unit.name == name) {
      return unit.factor;
    }
  }
  return std::nullopt;
}

void SetLengthUnit(std::string_view name) {
  // A stored label the program does not know is still shown as the label; the factor stays as it
  // was, because there is no way to tell what it should be.
  g_LengthUnitName = name;
  if (const std::optional<double> factor = LengthUnitFactor(name)) {
    g_LengthUnitFactor = *factor;
  }
}

void ResetLengthUnit() {
  g_LengthUnitName = kLengthUnits[0].name;
  g_LengthUnitFactor = kLengthUnits[0].factor;
}
