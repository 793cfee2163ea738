#include "vocabulary/text_table.h"

#include "vocabulary/edition_branding.h"
#include "vocabulary/language_texts.h"

// Filled by InitLanguageTable and SelectLanguage after start-up; nothing reads them during static
// construction, so their own construction order does not matter.
std::array<std::array<std::string, kLanguageCount>, kLangRowCount> g_LanguageTable;
std::array<std::string, kLangRowCount> g_CurrentStrings;

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
