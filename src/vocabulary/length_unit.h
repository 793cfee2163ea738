#pragma once
// The unit in which distances are shown. Distances are kilometres everywhere inside the program and
// are multiplied by g_LengthUnitFactor only when shown, printed or exported.
#include <array>
#include <optional>
#include <string>
#include <string_view>

/// One display unit: its label and the factor from kilometres to it.
struct LengthUnit {
  std::string_view name;
  double factor;
};

/// The three display units, in the order of the unit dialog's radios (km, kft, mi).
inline constexpr std::array<LengthUnit, 3> kLengthUnits{{
    {"km", 1.0},
    {"kft", 3.280839895},
    {"mi", 0.62137119},
}};

/// Label of the display unit ("km", "kft" or "mi"; see SetLengthUnit for other labels).
extern std::string g_LengthUnitName;

/// Factor from kilometres to the display unit.
extern double g_LengthUnitFactor;

/// The factor of a known unit label (exact, case-sensitive), or nothing for any other text.
std::optional<double> LengthUnitFactor(std::string_view name);

/// Makes `name` the display unit label; a known label also sets its factor, any other text keeps
/// the factor as it was.
void SetLengthUnit(std::string_view name);

/// Puts the display unit back to its start value, "km" with factor 1.0.
void ResetLengthUnit();
