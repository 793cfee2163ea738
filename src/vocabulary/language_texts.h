#pragma once
// The constant texts InitLanguageTable fills the table from. Only the English column is complete;
// a translated row carries its text in every language, any other row shows its English text in every
// column, so a build in another language never shows an empty label.
#include <array>

#include "vocabulary/text_table.h"

/// English text of every row.
extern const char* const kEnglishTexts[kLangRowCount];

/// A row with its own text in each language column.
struct TranslatedRow {
  LangRow row;
  const char* texts[kLanguageCount];
};

inline constexpr int kTranslatedRowCount = 5;

/// The rows that have translations.
extern const std::array<TranslatedRow, kTranslatedRowCount> kTranslatedRows;
