#include "vocabulary/text_table.h"

#include "vocabulary/edition_branding.h"
#include "vocabulary/language_texts.h"

// Constant-initialised, so code that runs during static construction already sees the start values.
constinit std::array<std::array<std::string, kLanguageCount>, kLangRowCount> g_LanguageTable;
constinit std::array<std::string, kLangRowCount> g_CurrentStrings;

void InitLanguageTable() {
  for (LangRow row = 0; row < kLangRowCount; ++row) {
    for (std::string& cell : g_LanguageTable[row]) {
      cell = kEnglishTexts[row];
    }
  }
  for (const TranslatedRow& translated : kTranslatedRows) {
    for (int column = 0; column < kLanguageCount; ++column) {
      g_LanguageTable[translated.row][column] = translated.texts[column];
    }
  }
  ApplyEditionBranding();
}

void SelectLanguage(int column) {
  if (column < 0 || column >= kLanguageCount) {
    column = LanguageColumn::English;
  }
  for (LangRow row = 0; row < kLangRowCount; ++row) {
    g_CurrentStrings[row] = g_LanguageTable[row][column];
  }
}
