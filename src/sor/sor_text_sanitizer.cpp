#include "sor/sor_text_sanitizer.h"

namespace {

constexpr char16_t kBlank = 32;

bool IsPrintable(unsigned b) { return b >= 32 && b <= 126; }
bool IsLeadByte(unsigned b) { return b >= 0xB0 && b <= 0xF7; }
bool IsTrailByte(unsigned b) { return b >= 0xA1 && b <= 0xFE; }

}  // namespace

void SanitizeFileText(char16_t* text) {
  char16_t* lead = nullptr;  // the pending lead byte of a double-byte character
  for (char16_t* cell = text; *cell != 0; ++cell) {
    const unsigned b = *cell & 0xFFu;
    if (IsPrintable(b)) {
      lead = nullptr;
    } else if (lead == nullptr) {
      if (IsLeadByte(b)) {
        lead = cell;
      } else {
        *cell = kBlank;
      }
    } else {
      if (!IsTrailByte(b)) {
        *lead = kBlank;
        *cell = kBlank;
      }
      lead = nullptr;
    }
  }
  if (lead != nullptr) *lead = kBlank;
}
