#include "panes/type_ahead_search.h"

namespace {

// A pause this long (seconds) starts a new search text.
constexpr std::int64_t kSearchPause = 2;

char16_t Folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Folded(text[i]) != Folded(prefix[i])) return false;
  }
  return true;
}

}  // namespace

int TypeAheadStep(TypeAheadState& state, int column, int focusedRow, char16_t typed, bool ctrl, std::int64_t now,
                  int rowCount, const std::function<std::u16string(int row)>& textOf) {
  if (ctrl) {
    state.m_strSearch.clear();
    return -1;
  }
  if ((!state.m_strSearch.empty() && now >= state.m_tLastKey + kSearchPause) || state.m_nSearchColumn != column ||
      focusedRow != state.m_nSearchItem) {
    state.m_strSearch.clear();
  }
  state.m_nSearchColumn = column;
  state.m_tLastKey = now;
  // The same letter again steps on to the next row that starts with it.
  if (!(state.m_strSearch.size() == 1 && state.m_strSearch[0] == typed)) state.m_strSearch.push_back(typed);

  const int start = focusedRow >= 0 ? focusedRow : 0;
  for (int step = 1; step < rowCount; ++step) {
    const int row = (start + step) % rowCount;
    if (StartsWithNoCase(textOf(row), state.m_strSearch)) {
      state.m_nSearchItem = row;
      return row;
    }
  }
  return -1;
}
