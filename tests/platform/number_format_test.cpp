#include "platform/number_format.h"

#include "platform/saturate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale>
#include <string>

using lumivane::Format;

namespace {

struct Case {
  const char* format;
  double value;
  const char* expected;
};

// Exact expectations, chiefly the ties where the formatter must not round to even.
const Case kFloatCases[] = {
    {"%.3f", 0.0625, "0.063"},
    {"%.1f", 0.25, "0.3"},
    {"%.0f", 2.5, "3"},
    {"%.0f", 0.5, "1"},
    {"%.0f", 1.5, "2"},
    {"%.2f", -0.125, "-0.13"},
    {"%.2f", 0.375, "0.38"},
    {"%.2f", 0.625, "0.63"},
    {"%7.3f", 9.9995, "  9.999"},   // 9.9995 is stored below the tie
    {"%.3f", 9.9995000000000012, "10.000"},
    {"%.1f", 9.95, "9.9"},          // stored as 9.949999...
    {"%.1f", 99.75, "99.8"},
    {"%.0f", 9.5, "10"},
    {"%.1f", -99.95, "-100.0"},     // stored as -99.950000000000003
    {"%6.3f", 1.0005, " 1.000"},    // stored below the tie
    {"%7.5f", 0.000005, "0.00001"},
    {"%8.5f", -1.234565, "-1.23456"},  // stored below the tie
    {"%2.0f", 0.4, " 0"},
    {"%.3f", -0.0001, "0.000"},  // no negative zero, whatever rounds to it
    {"%7.5f", -0.000004, "0.00000"},
    {"%7.5f", -0.0, "0.00000"},
    {"%+.2f", -0.001, "+0.00"},
    {"%06.1f", -0.04, "0000.0"},
    {"%.0f", -0.4, "0"},
    {"%.5f", -0.000005, "-0.00001"},  // the tie rounds away from zero, so it keeps its sign
    {"%+.2f", 0.125, "+0.13"},
    {"% .1f", 0.25, " 0.3"},
    {"%07.2f", -0.125, "-000.13"},
    {"%-8.2f|", 0.625, "0.63    |"},
    {"%#.0f", 2.5, "3."},
    {"%f", 1.0 / 3.0, "0.333333"},
    {"%.3f", 1e10, "10000000000.000"},
    {"%5.1f", std::numeric_limits<double>::infinity(), "  inf"},
    {"%.3f", -std::numeric_limits<double>::infinity(), "-inf"},
    {"%F", std::nan(""), "NAN"},
    {"%.1f", std::numeric_limits<double>::denorm_min(), "0.0"},
};

}  // namespace

TEST(NumberFormat, FloatingTable) {
  for (const Case& c : kFloatCases) {
    SCOPED_TRACE(std::string(c.format) + " of " + std::to_string(c.value));
    EXPECT_EQ(Format(c.format, c.value), c.expected);
  }
  EXPECT_EQ(Format("%.3f", 0.0625f), "0.063");
  EXPECT_EQ(Format("%.1f", 0.15f), "0.2");  // 0.15f is 0.1500000059604645, above the tie
}

TEST(NumberFormat, MatchesPrintfAwayFromTies) {
  const char* formats[] = {"%d", "%.3f", "%7.3f", "%7.5f", "%6.3f", "%.5f", "%8.5f", "%6.2f", "%6.1f",
                           "%3.2f", "%8.2f", "%8.1f", "%5.2f", "%2.0f", "%.1f", "%5.3f", "%2.3f", "%.2f"};
  const double values[] = {0.0, 1.0, -1.0, 0.1, 0.3, 1.2345678, -1.2345678, 12345.678901, -0.049999,
                           1310.0, 1e-7, 123456789.123, 0.35, 45.0, 40.00005, 1e10, 2.675, 1.005};
  for (const char* format : formats) {
    for (double value : values) {
      char expected[128];
      if (std::string_view(format) == "%d") {
        const int whole = lumivane::TruncToInt32(value);
        std::snprintf(expected, sizeof expected, format, whole);
        EXPECT_EQ(Format(format, whole), expected) << format << " " << value;
      } else {
        std::snprintf(expected, sizeof expected, format, value);
        // printf keeps the sign of a negative value that rounds to zero; the formatter shows it as zero.
        if (std::string_view(expected).find_first_of("123456789") == std::string_view::npos) {
          std::snprintf(expected, sizeof expected, format, 0.0);
        }
        EXPECT_EQ(Format(format, value), expected) << format << " " << value;
      }
    }
  }
}

TEST(NumberFormat, IntegersTextsAndFormatStrings) {
  struct IntCase {
    std::string actual;
    const char* expected;
  };
  const IntCase cases[] = {
      {Format("%d", 0), "0"},
      {Format("%d", -42), "-42"},
      {Format("%02d", 7), "07"},
      {Format("%02d", 123), "123"},
      {Format("%04d", -7), "-007"},
      {Format("%6d|%-6d|", 42, 42), "    42|42    |"},
      {Format("%+d % d", 5, 5), "+5  5"},
      {Format("%.3d", 5), "005"},
      {Format("%05.3d", 5), "  005"},
      {Format("%.0d", 0), ""},
      {Format("%ld", std::numeric_limits<long long>::min()), "-9223372036854775808"},
      {Format("%u", -1), "4294967295"},
      {Format("%lu", 18446744073709551615ULL), "18446744073709551615"},
      {Format("%i", 3.9), "3"},
      {Format("%.2f", 3), "3.00"},
      {Format("%s|%5s|%-5s|%.2s", "ab", "ab", "ab", "abc"), "ab|   ab|ab   |ab"},
      {Format("% s", std::string("x")), "x"},
      {Format("%c%c", 'O', 'K'), "OK"},
      {Format("100%% %d%%", 5), "100% 5%"},
      {Format("Files more than %d", 2000), "Files more than 2000"},
      {Format("A %7.5f km", 1.5), "A 1.50000 km"},
      {Format("%d %d", 1), "1 "},
      {Format("%y %d", 1), "%y 1"},
      {Format("tail %"), "tail %"},
      {Format("%s", static_cast<const char*>(nullptr)), "(null)"},
  };
  for (const IntCase& c : cases) EXPECT_EQ(c.actual, c.expected);
}

namespace {

// A C++ locale whose decimal point is a comma, for the C++ side when no comma locale is installed.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    savedC_ = std::setlocale(LC_ALL, nullptr);
    savedCpp_ = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    cLocaleSet_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  void TearDown() override {
    std::setlocale(LC_ALL, savedC_.c_str());
    std::locale::global(savedCpp_);
  }
  std::string savedC_;
  std::locale savedCpp_;
  bool cLocaleSet_ = false;
};

}  // namespace

TEST_F(CommaLocale, OutputKeepsThePoint) {
  ASSERT_TRUE(cLocaleSet_) << "de_DE.UTF-8 is missing; scripts/install-deps.sh generates it";
  char cOutput[32];
  std::snprintf(cOutput, sizeof cOutput, "%.3f", 0.5);
  ASSERT_STREQ(cOutput, "0,500");  // the C library really is in a comma locale

  for (const Case& c : kFloatCases) EXPECT_EQ(Format(c.format, c.value), c.expected) << c.format;
  EXPECT_EQ(Format("%d", 1234567), "1234567");
  EXPECT_EQ(Format("%8.2f dB", -1234.5), "-1234.50 dB");
}
