#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sor/sor_text_sanitizer.h"

namespace {

struct SanitizeCase {
  std::vector<char16_t> in;
  std::vector<char16_t> out;
};

TEST(SanitizeFileText, BlanksWhatIsNeitherPrintableNorAGb2312Pair) {
  const SanitizeCase cases[] = {
      {{0x41, 0x07, 0x42}, {0x41, 0x20, 0x42}},  // control byte
      {{0xB5, 0xE7}, {0xB5, 0xE7}},              // valid pair kept
      {{0x41, 0xB5}, {0x41, 0x20}},              // lone lead at the end
      {{0xB5, 0x41}, {0xB5, 0x41}},              // lead then printable
      {{0xB5, 0x07}, {0x20, 0x20}},              // lead then control
      {{0xB5, 0xFF}, {0x20, 0x20}},              // lead then bad trail
      {{0x7F}, {0x20}},                          // DEL
      {{0xB0, 0xA1}, {0xB0, 0xA1}},              // lowest pair
      {{0xAF, 0xA1}, {0x20, 0x20}},              // no lead: both blank
      {{0xF7, 0xFE, 0xB5}, {0xF7, 0xFE, 0x20}},  // pair then lone lead
      {{0x0141}, {0x0141}},  // only the low byte is examined
      {{}, {}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::u16string text(cases[i].in.begin(), cases[i].in.end());
    SanitizeFileText(text.data());
    EXPECT_EQ(text, std::u16string(cases[i].out.begin(), cases[i].out.end())) << "case " << i;
  }
}

}  // namespace
