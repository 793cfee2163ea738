#pragma once
// The decisions of the open path that need no window and no file: which paths it takes, when the
// list is full, where a new trace goes in the list and which colour it gets, and which name a typed
// file name stands for.
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "vocabulary/text_rows.h"

/// Most traces the loaded-trace list holds.
inline constexpr int kMaxListedTraces = 4;

/// Why an open is refused before anything changes.
enum class OpenRefusal { None, NotTraceFile, TooManyTraces };

/// The path an open works with: when it holds a double quote, the text between the first and the
/// last one (empty for a single quote). Case and blanks stay.
std::string NormaliseOpenPath(std::string_view path);

/// Whether an open of the normalised `path` may go on: the path must end in "sor" or be the
/// pseudo-path, and a fifth trace is refused unless a listed trace is being made current.
OpenRefusal CheckOpenPath(std::string_view path, int traceCount, bool switchingTrace);

/// The text row of a refusal's message.
LangRow RefusalMessageRow(OpenRefusal refusal);

/// One entry of the loaded-trace list as the placing of a new trace sees it.
struct ListedTrace {
  std::string_view path;
  int colourIndex = 0;
};

/// Where a newly opened trace goes: appended at the tail, after an entry of the same path left.
struct ListEntryPlan {
  int removeIndex = -1;    ///< list position of the entry of the same path, -1 when none
  int colourIndex = 0;     ///< the new trace's colour index
  int traceCount = 0;      ///< the count afterwards
  int nextColourSlot = 0;  ///< the next free colour index afterwards
};

/// Places a new trace of `path` in `listed` (already emptied by a replacing open). A re-opened
/// path keeps its colour and the count; colour indices cycle through the 16 trace colours.
ListEntryPlan PlanListEntry(std::span<const ListedTrace> listed, std::string_view path, int nextColourSlot);

/// The file a typed name stands for: the name itself, else the name with ".sor", else with ".trc"
/// appended, whichever exists first; nothing when none exists.
std::optional<std::string> ResolveTypedFileName(const std::string& name,
                                                const std::function<bool(const std::string&)>& exists);
