#include "platform/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <span>

namespace lumivane {
namespace {

struct Spec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  bool alternate = false;
  int width = 0;
  int precision = -1;  // -1: none given
  bool wide = false;   // l, ll, j, z or t: %u takes all 64 bits
  char conversion = 0;
};

// Caps a width or precision from the format text so a typo cannot ask for gigabytes.
constexpr int kMaxField = 4096;

int ReadNumber(std::string_view format, std::size_t& pos) {
  int n = 0;
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
    n = std::min(kMaxField, n * 10 + (format[pos] - '0'));
    ++pos;
  }
  return n;
}

// Parses the conversion directive after a '%' at `pos`; false when it does not end in a known
// conversion (the caller then copies it through).
bool ParseSpec(std::string_view format, std::size_t& pos, Spec& spec) {
  for (; pos < format.size(); ++pos) {
    const char c = format[pos];
    if (c == '-') spec.left = true;
    else if (c == '+') spec.plus = true;
    else if (c == ' ') spec.space = true;
    else if (c == '0') spec.zero = true;
    else if (c == '#') spec.alternate = true;
    else break;
  }
  spec.width = ReadNumber(format, pos);
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    spec.precision = ReadNumber(format, pos);
  }
  while (pos < format.size() && std::string_view("hlLjzt").find(format[pos]) != std::string_view::npos) {
    if (format[pos] != 'h' && format[pos] != 'L') spec.wide = true;
    ++pos;
  }
  if (pos >= format.size()) return false;
  spec.conversion = format[pos];
  if (std::string_view("diufFsc%").find(spec.conversion) == std::string_view::npos) return false;
  ++pos;
  return true;
}

// Pads `body` (after its sign or prefix `lead`) to the width: blanks on the left or right, or zeros
// between the sign and the digits.
void Emit(std::string& out, const Spec& spec, std::string_view lead, std::string_view body, bool zeroPad) {
  const std::size_t length = lead.size() + body.size();
  const std::size_t pad = spec.width > 0 && static_cast<std::size_t>(spec.width) > length
                              ? static_cast<std::size_t>(spec.width) - length
                              : 0;
  if (spec.left) {
    out.append(lead).append(body).append(pad, ' ');
  } else if (zeroPad) {
    out.append(lead).append(pad, '0').append(body);
  } else {
    out.append(pad, ' ').append(lead).append(body);
  }
}

std::string_view SignOf(bool negative, const Spec& spec) {
  if (negative) return "-";
  if (spec.plus) return "+";
  if (spec.space) return " ";
  return "";
}

void FormatInteger(std::string& out, const Spec& spec, bool negative, unsigned long long magnitude) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  std::string digits(buffer, result.ptr);
  if (spec.precision >= 0) {
    // An explicit precision is a minimum digit count, and zero digits print nothing for 0.
    if (spec.precision == 0 && magnitude == 0) digits.clear();
    if (digits.size() < static_cast<std::size_t>(spec.precision)) digits.insert(0, spec.precision - digits.size(), '0');
  }
  Emit(out, spec, SignOf(negative, spec), digits, spec.zero && !spec.left && spec.precision < 0);
}

// Number of binary digits after the point in |value| (0 for whole numbers). A finite double with n
// such digits has exactly n decimal digits after the point, the last of them a 5.
int FractionalBits(double value) {
  int exponent = 0;
  const double mantissa = std::frexp(std::fabs(value), &exponent);
  auto bits = static_cast<std::uint64_t>(std::ldexp(mantissa, 53));
  if (bits == 0) return 0;
  int scale = exponent - 53;
  while ((bits & 1) == 0) {
    bits >>= 1;
    ++scale;
  }
  return scale < 0 ? -scale : 0;
}

// Adds one unit in the last place to a digit string such as "12.49" (giving "12.50"), carrying
// into a new leading digit when needed ("9.9" gives "10.0").
void IncrementLastDigit(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] == '.') continue;
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(0, 1, '1');
}

// The magnitude of `value` with `precision` decimals, ties away from zero.
std::string FixedDigits(double magnitude, int precision) {
  // Room for every integer digit of the largest double, the point and the decimals.
  std::string digits(std::numeric_limits<double>::max_exponent10 + precision + 8, '\0');
  char* const begin = digits.data();
  char* const end = begin + digits.size();
  // std::to_chars is exact, but rounds a tie to even; a tie is a value with exactly one more decimal
  // than asked for, which then prints exactly and can be rounded up here.
  if (FractionalBits(magnitude) == precision + 1) {
    const auto result = std::to_chars(begin, end, magnitude, std::chars_format::fixed, precision + 1);
    digits.resize(static_cast<std::size_t>(result.ptr - begin) - 1);  // drop the final 5
    if (precision == 0) digits.pop_back();                               // and the point before it
    IncrementLastDigit(digits);
    return digits;
  }
  const auto result = std::to_chars(begin, end, magnitude, std::chars_format::fixed, precision);
  digits.resize(static_cast<std::size_t>(result.ptr - begin));
  return digits;
}

void FormatFloating(std::string& out, const Spec& spec, double value) {
  if (!std::isfinite(value)) {
    const bool upper = spec.conversion == 'F';
    const std::string_view word = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
    Emit(out, spec, SignOf(std::signbit(value), spec), word, false);
    return;
  }
  const int precision = spec.precision < 0 ? 6 : spec.precision;
  std::string digits = FixedDigits(std::fabs(value), precision);
  // A value that rounds to zero shows no sign: "-0.00000" reads as a distance or loss before zero.
  const bool negative = std::signbit(value) && digits.find_first_not_of("0.") != std::string::npos;
  if (precision == 0 && spec.alternate) digits.push_back('.');
  Emit(out, spec, SignOf(negative, spec), digits, spec.zero && !spec.left);
}

void FormatOne(std::string& out, const Spec& spec, const FormatArg* arg) {
  if (spec.conversion == '%') {
    out.push_back('%');
    return;
  }
  if (!arg) return;
  switch (spec.conversion) {
    case 'd':
    case 'i': {
      if (arg->kind() == FormatArg::Kind::Unsigned) {
        FormatInteger(out, spec, false, arg->AsUnsigned());
      } else {
        const long long v = arg->AsSigned();
        // Negating through unsigned keeps the most negative value representable.
        const auto magnitude = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        FormatInteger(out, spec, v < 0, magnitude);
      }
      return;
    }
    case 'u': {
      unsigned long long v = arg->AsUnsigned();
      if (!spec.wide) v = static_cast<unsigned int>(v);
      Spec unsignedSpec = spec;
      unsignedSpec.plus = unsignedSpec.space = false;
      FormatInteger(out, unsignedSpec, false, v);
      return;
    }
    case 'f':
    case 'F': FormatFloating(out, spec, arg->AsDouble()); return;
    case 'c': {
      const char c = static_cast<char>(arg->AsSigned());
      Emit(out, spec, "", std::string_view(&c, 1), false);
      return;
    }
    case 's': {
      std::string_view text = arg->AsText();
      if (spec.precision >= 0 && text.size() > static_cast<std::size_t>(spec.precision)) text = text.substr(0, spec.precision);
      Emit(out, spec, "", text, false);
      return;
    }
  }
}

}  // namespace

long long FormatArg::AsSigned() const {
  switch (kind_) {
    case Kind::Signed:
    case Kind::Char: return signed_;
    case Kind::Unsigned: return static_cast<long long>(unsigned_);
    case Kind::Floating: {
      if (!std::isfinite(floating_)) return 0;
      constexpr double kLimit = 9.2233720368547758e18;
      if (floating_ >= kLimit) return std::numeric_limits<long long>::max();
      if (floating_ <= -kLimit) return std::numeric_limits<long long>::min();
      return static_cast<long long>(floating_);
    }
    case Kind::Text: break;
  }
  return 0;
}

unsigned long long FormatArg::AsUnsigned() const {
  return kind_ == Kind::Unsigned ? unsigned_ : static_cast<unsigned long long>(AsSigned());
}

double FormatArg::AsDouble() const {
  switch (kind_) {
    case Kind::Floating: return floating_;
    case Kind::Unsigned: return static_cast<double>(unsigned_);
    case Kind::Signed:
    case Kind::Char: return static_cast<double>(signed_);
    case Kind::Text: break;
  }
  return 0.0;
}

std::string FormatList(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  const std::span<const FormatArg> list(args.begin(), args.size());
  std::size_t next = 0;
  std::size_t pos = 0;
  while (pos < format.size()) {
    const std::size_t percent = format.find('%', pos);
    out.append(format.substr(pos, percent == std::string_view::npos ? std::string_view::npos : percent - pos));
    if (percent == std::string_view::npos) break;
    pos = percent + 1;
    Spec spec;
    if (!ParseSpec(format, pos, spec)) {
      out.append(format.substr(percent, pos - percent));
      continue;
    }
    const FormatArg* arg = nullptr;
    if (spec.conversion != '%' && next < list.size()) arg = &list[next++];
    FormatOne(out, spec, arg);
  }
  return out;
}

}  // namespace lumivane
