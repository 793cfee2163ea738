#pragma once
// The program's UI texts: one table of rows by language, filled once at start-up, and the build
// language's column copied into g_CurrentStrings, which every window reads by row number.
//
// Texts are UTF-8 (the Chinese and Polish columns need more than Latin-1); the widgets show them
// through QString::fromUtf8, and message boxes take them as they are.
#include <array>
#include <string>

#include "vocabulary/text_rows.h"

/// Columns of the text table, one per language.
namespace LanguageColumn {
inline constexpr int English = 0;
inline constexpr int Chinese = 1;
inline constexpr int Spanish = 2;
inline constexpr int Portuguese = 3;
inline constexpr int Italian = 4;
inline constexpr int Polish = 5;
}  // namespace LanguageColumn

/// Number of language columns of the text table.
inline constexpr int kLanguageCount = 6;

/// The column this build shows; set by the build's language option.
inline constexpr int BUILD_LANGUAGE = LUMIVANE_BUILD_LANGUAGE;
static_assert(BUILD_LANGUAGE >= 0 && BUILD_LANGUAGE < kLanguageCount);

/// Every text in every language, row-major; empty until InitLanguageTable.
extern std::array<std::array<std::string, kLanguageCount>, kLangRowCount> g_LanguageTable;

/// The texts of the selected language, indexed by row; empty until SelectLanguage.
extern std::array<std::string, kLangRowCount> g_CurrentStrings;

/// Fills every cell of g_LanguageTable from the built-in texts, then applies the edition branding.
void InitLanguageTable();

/// Copies the given column of g_LanguageTable into g_CurrentStrings; a column out of range copies English.
void SelectLanguage(int column);
