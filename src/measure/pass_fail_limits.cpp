#include "measure/pass_fail_limits.h"

#include <charconv>
#include <cctype>
#include <cmath>
#include <optional>

#include "platform/ascii_case.h"
#include "platform/number_format.h"
#include "trace/wavelength.h"

namespace {

// The profile functions read each value through a buffer of ten characters with its terminator.
constexpr std::size_t kValueCharacters = 9;

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::size_t SkipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

lumivane::IniWriteOutcome FirstFailure(lumivane::IniWriteOutcome sofar, lumivane::IniWriteOutcome next) {
  return sofar == lumivane::IniWriteOutcome::Written ? next : sofar;
}

}  // namespace

std::string PassFailIniPath(std::string_view folder) {
  if (folder.empty()) return {};
  std::string path(folder);
  if (path.back() != '/') path += '/';
  path += kPassFailIniName;
  return path;
}

int HasIniSection(std::string_view section, const std::string& iniPath) {
  for (const std::string& name : lumivane::IniFile(iniPath).SectionNames()) {
    if (name == section) return 1;
  }
  return 0;
}

namespace {

// A wavelength written as digits and at most one point, nothing else; sections of older files are
// named by whole nanometres, the dialog's text may carry tenths.
std::optional<double> WavelengthOfName(std::string_view name) {
  if (name.empty() || name.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
  double nm = 0.0;
  const auto result = std::from_chars(name.data(), name.data() + name.size(), nm);
  if (result.ec != std::errc{} || result.ptr != name.data() + name.size() || !(nm > 0.0)) return std::nullopt;
  return nm;
}

}  // namespace

std::string PassFailBandSection(double wavelengthNm) { return lumivane::Format("%d", WavelengthBandNm(wavelengthNm)); }

std::string PassFailSectionOfText(std::string_view wavelengthText) {
  const std::optional<double> nm = WavelengthOfName(lumivane::TrimIniBlanks(wavelengthText));
  return nm ? PassFailBandSection(*nm) : std::string(wavelengthText);
}

std::string PassFailSectionToRead(const std::string& iniPath, int wavelengthNm) {
  const std::string band = PassFailBandSection(wavelengthNm);
  if (HasIniSection(band, iniPath)) return band;
  for (const std::string& name : lumivane::IniFile(iniPath).SectionNames()) {
    const std::optional<double> nm = WavelengthOfName(name);
    if (nm && PassFailBandSection(*nm) == band) return name;
  }
  return {};
}

namespace {

/// The leading decimal number of `text`, when it has one a double holds.
std::optional<double> LeadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  const std::size_t start = at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const std::size_t intEnd = SkipDigits(text, at);
  std::size_t end = intEnd;
  if (end < text.size() && text[end] == '.') end = SkipDigits(text, end + 1);
  // Only decimal digits count: hexadecimal forms are not numbers here, and "inf" and "nan" are
  // values no limit holds.
  if (end - at == 0 || (intEnd == at && end == intEnd + 1)) {
    const std::string_view word = text.substr(at, 3);
    const bool notFinite = word.size() == 3 && (lumivane::EqualsIgnoreAsciiCase(word, "inf") ||
                                                lumivane::EqualsIgnoreAsciiCase(word, "nan"));
    return notFinite ? std::nullopt : std::optional<double>(0.0);
  }
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const std::size_t exponentEnd = SkipDigits(text, exponent);
    if (exponentEnd > exponent) end = exponentEnd;
  }
  std::string_view number = text.substr(start, end - start);
  if (number.front() == '+') number.remove_prefix(1);
  double value = 0.0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec != std::errc{}) return std::nullopt;
  return value;
}

// A number no limit can hold (1e308 becomes infinity as a float) is no limit at all: judging
// against it, or showing and storing it again, would turn it into something else.
std::optional<float> LimitValue(std::string_view text) {
  const std::optional<double> value = LeadingNumber(text);
  if (!value || !std::isfinite(static_cast<float>(*value))) return std::nullopt;
  return static_cast<float>(*value);
}

}  // namespace

float ParseLeadingNumber(std::string_view text) { return LimitValue(text).value_or(0.0f); }

bool IsLimitText(std::string_view text) { return LimitValue(text).has_value(); }

void ReadPassFailLimits(std::string_view section, const std::string& iniPath, PassFailThresholds& limits) {
  const lumivane::IniFile file(iniPath);
  for (std::size_t i = 0; i < kPassFailKeys.size(); ++i) {
    const std::string value = file.ReadString(section, kPassFailKeys[i]);
    const std::string_view text = std::string_view(value).substr(0, kValueCharacters);
    const std::optional<float> limit = LimitValue(text);
    limits.Limit[i] = limit.value_or(0.0f);
    // A limit no float holds is not set: nothing is judged against it, rather than against 0.
    limits.Set[i] = limit ? 1 : 0;
  }
}

std::string FormatLimit(float limit) { return lumivane::Format("%.3f", limit); }

lumivane::IniWriteOutcome WritePassFailLimits(const std::string& iniPath, std::string_view section,
                                              const LimitTexts& texts) {
  const lumivane::IniFile file(iniPath);
  auto outcome = lumivane::IniWriteOutcome::Written;
  for (std::size_t i = 0; i < kPassFailKeys.size(); ++i) {
    if (texts[i].empty()) continue;
    outcome = FirstFailure(outcome, file.WriteString(section, kPassFailKeys[i], texts[i]));
  }
  return outcome;
}

lumivane::IniWriteOutcome WriteDefaultPassFailLimits(const std::string& iniPath, std::string_view sectionWhenEmpty) {
  const lumivane::IniFile file(iniPath);
  std::vector<std::string> sections = file.SectionNames();
  // A file without sections gets the defaults under the trace's wavelength; a section without a
  // name would never be read.
  if (sections.empty()) sections.emplace_back(sectionWhenEmpty);
  auto outcome = lumivane::IniWriteOutcome::Written;
  for (const std::string& section : sections) {
    for (std::size_t i = 0; i < kPassFailKeys.size(); ++i) {
      outcome = FirstFailure(outcome, file.WriteString(section, kPassFailKeys[i], kPassFailDefaults[i]));
    }
  }
  return outcome;
}
