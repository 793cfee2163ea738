#pragma once
// The length unit chosen by the user, kept across runs in the user's settings
// (organisation "DovOvad", application "Value", key "Unit").
#include <string>
#include <string_view>

namespace lumivane {

/// The unit used when nothing usable is stored.
inline constexpr std::string_view kDefaultLengthUnit = "km";

/// The stored unit label ("km", "kft" or "mi" as written by WriteStoredLengthUnit). Nothing stored,
/// an empty text or one longer than 9 characters gives "km"; any other text comes back as stored.
std::string ReadStoredLengthUnit();

/// Stores the unit label; false when the settings could not be written (a lost preference only).
bool WriteStoredLengthUnit(std::string_view label);

}  // namespace lumivane
