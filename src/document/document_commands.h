#pragma once
// The commands the document serves. Each entry of its map is served by the subsystem that owns it,
// which binds its handler once it exists; until then the command is not enabled, so the shell can
// route every id of the map without knowing which ones are ready.
#include <array>
#include <functional>
#include <map>

#include "vocabulary/command_ids.h"

enum class DocCommandKind { Command, Update };

struct DocMessageMapEntry {
  int id;
  DocCommandKind kind;
};

/// The document's message map, in map order.
inline constexpr std::array<DocMessageMapEntry, 15> kDocMessageMap = {{
    {CmdPrintOption, DocCommandKind::Command},
    {CmdFileSave, DocCommandKind::Command},
    {CmdFileSaveAs, DocCommandKind::Command},
    {CmdEditTraceInfo, DocCommandKind::Command},
    {CmdUploadTraceFile, DocCommandKind::Command},
    {CmdAsciiExport, DocCommandKind::Command},
    {CmdFileSave, DocCommandKind::Update},
    {CmdAsciiExport, DocCommandKind::Update},
    {CmdEditTraceInfo, DocCommandKind::Update},
    {CmdFileSaveAs, DocCommandKind::Update},
    {CmdBatchEdit, DocCommandKind::Command},
    {CmdPrint, DocCommandKind::Update},
    {CmdPrintPreview, DocCommandKind::Update},
    {CmdWindowCascade, DocCommandKind::Command},
    {CmdPassFail, DocCommandKind::Command},
}};

/// True when the document's map has an entry of this kind for `id`.
bool InDocMessageMap(int id, DocCommandKind kind);

class DocumentCommands {
 public:
  using Handler = std::function<void()>;
  using UpdateRule = std::function<bool()>;  // true = enabled

  /// Serves `id` with `handler`; refused (false) unless the map has a command entry for it.
  bool BindCommand(int id, Handler handler);
  /// Gives `id` its enable rule; refused (false) unless the map has an update entry for it.
  bool BindUpdate(int id, UpdateRule rule);

  /// Whether the document answers for `id` now (a handler or an enable rule is bound).
  bool Serves(int id) const;
  /// Enabled: a command entry needs its handler; then a bound rule decides, else a handler enables.
  bool IsEnabled(int id) const;
  /// Runs the handler of `id` when it is bound and enabled; returns whether it ran.
  bool Execute(int id) const;

 private:
  std::map<int, Handler> m_handlers;
  std::map<int, UpdateRule> m_rules;
};
