#pragma once
// The extended list view's type-ahead search in its current column: typed characters build a search
// text that is matched, ignoring case, against the starts of the column's texts, from the row after
// the focused one round to the row before it.
#include <cstdint>
#include <functional>
#include <string>

/// What the search remembers between typed characters.
struct TypeAheadState {
  std::u16string m_strSearch;
  int m_nSearchColumn = -1;
  int m_nSearchItem = -1;
  std::int64_t m_tLastKey = 0;  // seconds since 1970
};

/// One typed character `typed` in column `column` at time `now` (whole seconds) with `focusedRow`
/// focused (-1 none); Ctrl held only empties the search text. Returns the row found, or -1.
int TypeAheadStep(TypeAheadState& state, int column, int focusedRow, char16_t typed, bool ctrl, std::int64_t now,
                  int rowCount, const std::function<std::u16string(int row)>& textOf);
