#pragma once
// The text table's rows as Qt strings, for the windows and dialogs that show them.
#include <QString>
#include <cstddef>

#include "vocabulary/text_table.h"

/// Row `row` of the build's language; the table holds UTF-8.
inline QString RowText(LangRow row) { return QString::fromStdString(g_CurrentStrings[static_cast<std::size_t>(row)]); }
