#pragma once
// The pass/fail limits file "otdr config.ini": one section per wavelength band in whole nanometres
// ("1310"), six keys holding decimal numbers as text.
#include <array>
#include <string>
#include <string_view>

#include "document/document_settings.h"
#include "platform/ini_file.h"

inline constexpr std::string_view kPassFailIniName = "otdr config.ini";

/// Keys of the six limits, in PassFailThresholds order. "Link  Loss" has two blanks, as files
/// shared with other installations have it.
inline constexpr std::array<std::string_view, kPassFailLimitCount> kPassFailKeys = {
    "Splice Loss", "Connector Loss", "Event Relf", "Event Atte", "Link  Loss", "Link ORL"};
/// The values the dialog's Default button writes, in the same order.
inline constexpr std::array<std::string_view, kPassFailLimitCount> kPassFailDefaults = {"1",   "1",  "40",
                                                                                       "0.5", "45", "30"};

/// The limits texts of a dialog or a file, in PassFailThresholds order.
using LimitTexts = std::array<std::string, kPassFailLimitCount>;

/// Path of the limits file in `folder`; empty when the folder is.
std::string PassFailIniPath(std::string_view folder);

/// 1 when the file has a section named exactly `section` (case-sensitive), else 0.
int HasIniSection(std::string_view section, const std::string& iniPath);

/// The section the limits of traces of `wavelengthNm` are kept in: their band in whole nanometres
/// ("1550" for a 1548.6 nm laser).
std::string PassFailBandSection(double wavelengthNm);

/// The section limits typed for `wavelengthText` are written to: its band's when the text is a
/// wavelength ("1549" gives "1550"), the text as it stands otherwise.
std::string PassFailSectionOfText(std::string_view wavelengthText);

/// The section of the file that judges a trace of `wavelengthNm`: its band's when the file has it,
/// else the first one named by another wavelength of that band (files once kept limits per exact
/// wavelength, "1549"); empty when there is neither.
std::string PassFailSectionToRead(const std::string& iniPath, int wavelengthNm);

/// Reads the six keys of `section` into limits.Limit; a missing key, or a value that does not start
/// with a number, reads as 0. Values longer than 9 characters are cut, as the file format allows.
/// A value no float holds (1e308, inf, nan) is not set: it reads as 0 and limits.Set is 0 for it.
void ReadPassFailLimits(std::string_view section, const std::string& iniPath, PassFailThresholds& limits);

/// The decimal number at the start of `text` (leading blanks skipped); 0 when there is none or when
/// it lies beyond what a float holds.
float ParseLeadingNumber(std::string_view text);

/// Whether `text` sets a limit: false when its leading number lies beyond what a float holds.
bool IsLimitText(std::string_view text);

/// A limit as the dialog shows and the file stores it ("%.3f").
std::string FormatLimit(float limit);

/// Writes every non-empty text under its key of `section`, in key order; empty texts leave their
/// key as it is. The first failed write is returned; the keys after it are still tried.
lumivane::IniWriteOutcome WritePassFailLimits(const std::string& iniPath, std::string_view section,
                                              const LimitTexts& texts);

/// Writes the default values into every section of the file, or into `sectionWhenEmpty` when the
/// file has no section.
lumivane::IniWriteOutcome WriteDefaultPassFailLimits(const std::string& iniPath, std::string_view sectionWhenEmpty);
