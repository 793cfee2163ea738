#pragma once
// printf-style formatting for every number the program shows, prints or writes: "." is always the
// decimal point whatever the C or C++ locale, and an exact decimal tie rounds half away from zero
// ("%.3f" of 0.0625 is "0.063", where printf rounds the tie to even and gives "0.062"), and a value
// that rounds to zero carries no minus sign ("%.3f" of -0.0001 is "0.000", never "-0.000").
// Everything else matches printf.
//
// Supported: flags - + space 0 #, a width, a precision, the length modifiers h hh l ll L z j t (read
// and ignored except for %u), the conversions d i u f F s c and %%. An unknown conversion is copied
// through as written.
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace lumivane {

/// One argument of Format: an integer, a floating-point number, a character or a text.
class FormatArg {
 public:
  enum class Kind { Signed, Unsigned, Floating, Char, Text };

  FormatArg(char c) : kind_(Kind::Char), signed_(static_cast<unsigned char>(c)) {}
  FormatArg(bool b) : kind_(Kind::Signed), signed_(b ? 1 : 0) {}
  template <std::signed_integral T>
  FormatArg(T v) : kind_(Kind::Signed), signed_(v) {}
  template <std::unsigned_integral T>
  FormatArg(T v) : kind_(Kind::Unsigned), unsigned_(v) {}
  template <std::floating_point T>
  FormatArg(T v) : kind_(Kind::Floating), floating_(static_cast<double>(v)) {}
  FormatArg(const char* s) : kind_(Kind::Text), text_(s ? s : "(null)") {}
  FormatArg(std::string_view s) : kind_(Kind::Text), text_(s) {}
  FormatArg(const std::string& s) : kind_(Kind::Text), text_(s) {}

  Kind kind() const { return kind_; }
  /// The value as a signed integer (floating values truncated toward zero and saturated; text gives 0).
  long long AsSigned() const;
  /// The value as an unsigned integer, wrapping like a C conversion.
  unsigned long long AsUnsigned() const;
  /// The value as a double (text gives 0).
  double AsDouble() const;
  /// The text (empty for numbers and characters).
  std::string_view AsText() const { return kind_ == Kind::Text ? text_ : std::string_view{}; }

 private:
  Kind kind_;
  long long signed_ = 0;
  unsigned long long unsigned_ = 0;
  double floating_ = 0.0;
  std::string_view text_;
};

/// Formats `format` with `args`; a conversion without an argument left produces nothing.
std::string FormatList(std::string_view format, std::initializer_list<FormatArg> args);

/// Formats `format` with the arguments, printf-style (see above).
template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
  return FormatList(format, {FormatArg(args)...});
}

}  // namespace lumivane
