#include "app/open_rules.h"

#include "document/document_settings.h"
#include "platform/path_util.h"

std::string NormaliseOpenPath(std::string_view path) {
  const std::size_t first = path.find('"');
  if (first == std::string_view::npos) return std::string(path);
  const std::size_t last = path.rfind('"');
  if (last == first) return {};
  return std::string(path.substr(first + 1, last - first - 1));
}

OpenRefusal CheckOpenPath(std::string_view path, int traceCount, bool switchingTrace) {
  const bool pseudoPath = !path.empty() && lumivane::IsNoFilePath(path);
  if (!pseudoPath && !lumivane::HasSorSuffix(path)) return OpenRefusal::NotTraceFile;
  if (traceCount >= kMaxListedTraces && !switchingTrace) return OpenRefusal::TooManyTraces;
  return OpenRefusal::None;
}

LangRow RefusalMessageRow(OpenRefusal refusal) {
  return refusal == OpenRefusal::TooManyTraces ? TextRow::OpenMaxTrace : TextRow::NotBellcoreFile;
}

ListEntryPlan PlanListEntry(std::span<const ListedTrace> listed, std::string_view path, int nextColourSlot) {
  ListEntryPlan plan;
  int slot = nextColourSlot >= kTraceColourCount ? 0 : nextColourSlot;
  int count = static_cast<int>(listed.size());
  plan.colourIndex = slot;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (listed[i].path != path) continue;
    plan.removeIndex = static_cast<int>(i);
    plan.colourIndex = listed[i].colourIndex;
    --count;
    --slot;
    break;
  }
  plan.traceCount = count + 1;
  plan.nextColourSlot = slot + 1;
  return plan;
}

std::optional<std::string> ResolveTypedFileName(const std::string& name,
                                                const std::function<bool(const std::string&)>& exists) {
  for (const char* suffix : {"", ".sor", ".trc"}) {
    std::string candidate = name + suffix;
    if (exists(candidate)) return candidate;
  }
  return std::nullopt;
}
