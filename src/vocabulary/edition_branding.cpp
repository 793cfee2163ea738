#include "vocabulary/edition_branding.h"

#include <array>

#include "vocabulary/text_table.h"

namespace {

// Branding is given for the first four language columns only; the Italian and Polish cells of these
// rows stay empty.
constexpr int kBrandedColumns = 4;

struct BrandingRow {
  LangRow row;
  const char* texts[kBrandedColumns];  // English, Chinese, Spanish, Portuguese
};

static_assert(BUILD_EDITION == Edition::Generic,
              "only the generic edition's texts are part of this program");

constexpr std::array<BrandingRow, 6> kGenericBranding{{
    {TextRow::ProductTitleVersion,
     {"Lumivane V3.30.007", "Lumivane V3.30.007", "Lumivane V3.30.007", "Lumivane V3.30.007"}},
    {TextRow::MainWindowTitle, {"Lumivane", "Lumivane", "Lumivane", "Lumivane"}},
    {TextRow::AboutCaption, {"About Lumivane", "关于 Lumivane", "About Lumivane", "About Lumivane"}},
    {TextRow::ExportHeader,
     {"\nLumivane Output Data\n\n", "\nLumivane输出数据\n\n", "\nDatos de salida de Lumivane\n\n",
      "\nLumivane Output Data\n\n"}},
    {TextRow::AboutLowerLine, {"", "", "", ""}},
    {TextRow::AboutMiddleLine, {"", "", "", ""}},
}};

}  // namespace

void ApplyEditionBranding() {
  for (const BrandingRow& branding : kGenericBranding) {
    for (int column = 0; column < kBrandedColumns; ++column) {
      g_LanguageTable[branding.row][column] = branding.texts[column];
    }
  }
}
