#include "app/frame_resources.h"

#include <algorithm>
#include <array>

#include "vocabulary/command_ids.h"

namespace {

MenuEntry Item(std::string_view text, int id) { return {MenuEntry::Kind::Command, text, id, {}}; }
MenuEntry Separator() { return {}; }
MenuEntry Popup(std::string_view text, std::vector<MenuEntry> items) {
  return {MenuEntry::Kind::Popup, text, 0, std::move(items)};
}

constexpr std::array<ToolbarButton, 32> kToolbar{{
    {CmdFileOpen, "Open", "open"},
    {CmdCloseCurrentTraceButton, "Close current trace", "close_trace"},
    {CmdFileSave, "Save", "save"},
    {},
    {CmdPrintPreview, "Print Preview", "print_preview"},
    {CmdPrint, "Print", "print"},
    {},
    {CmdEditTraceInfo, "Edit Trace Information", "trace_info"},
    {},
    {CmdZoomOut, "Zoom out", "zoom_out"},
    {CmdViewFullTrace, "View Full Trace", "full_trace"},
    {},
    {CmdZoomInHorizontally, "Zoom In Horizontally", "zoom_in_h"},
    {CmdZoomOutHorizontally, "Zoom Out Horizontally", "zoom_out_h"},
    {CmdZoomInVertically, "Zoom In Vertically", "zoom_in_v"},
    {CmdZoomOutVertically, "Zoom Out Vertically", "zoom_out_v"},
    {},
    {CmdAnalyzeInsertionLoss, "Analyze Insertion Loss", "insertion_loss"},
    {CmdAnalyzeReflectance, "Analyze Reflectance", "reflectance"},
    {},
    {CmdLockMarkerAB, "Lock Marker A B", "lock_markers"},
    {CmdAppAbout, "About", "about"},
    {},
    {CmdTrace1, "Trace 1", "trace1"},
    {},
    {CmdTrace2, "Trace 2", "trace2"},
    {},
    {CmdTrace3, "Trace 3", "trace3"},
    {},
    {CmdTrace4, "Trace 4", "trace4"},
    {},
    {CmdLinkMap, "Link map", "link_map"},
}};

// Ctrl+P prints the active view (57607), not the menu's Print command (32914); both exist.
constexpr std::array<Accelerator, 13> kAccelerators{{
    {"A", CmdZoomInHorizontally},
    {"D", CmdZoomInVertically},
    {"F", CmdZoomOutVertically},
    {"S", CmdZoomOutHorizontally},
    {"G", CmdViewFullTrace},
    {"Ctrl+O", CmdFileOpen},
    {"Ctrl+S", CmdFileSave},
    {"Ctrl+P", CmdPrintActiveView},
    {"Ctrl+L", CmdPrintPreviewActiveView},
    {"Ctrl+C", CmdEditCopy},
    {"Ctrl+X", CmdEditCut},
    {"Ctrl+V", CmdEditPaste},
    {"Ctrl+Z", CmdEditUndo},
}};

void CollectIds(const std::vector<MenuEntry>& entries, std::vector<int>& ids) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Command) ids.push_back(e.id);
    if (e.kind == MenuEntry::Kind::Popup) CollectIds(e.items, ids);
  }
}

}  // namespace

const std::vector<MenuEntry>& PaneMenu() {
  static const std::vector<MenuEntry> menu{
      Popup("&File", {Item("Upload Trace File...", CmdUploadTraceFile),
                      Separator(),
                      Item("&Open...\tCtrl+O", CmdFileOpen),
                      Popup("&Multi-traces", {Item("&Add trace...", CmdAddTrace),
                                              Item("&Close current trace", CmdCloseCurrentTrace)}),
                      Item("&Save\tCtrl+S", CmdFileSave),
                      Item("Save &As...", CmdFileSaveAs),
                      Separator(),
                      Item("ASCII  Export...", CmdAsciiExport),
                      Separator(),
                      Item("Print Option...", CmdPrintOption),
                      Item("Print Pre&view", CmdPrintPreview),
                      Item("Print Setup...", CmdPrintSetup),
                      Item("&Print...\tCtrl+P", CmdPrint),
                      Separator(),
                      Item("Batch Print Preview", CmdBatchPrintPreview),
                      Item("Batch Print", CmdBatchPrint),
                      Item("Batch Edit", CmdBatchEdit),
                      Separator(),
                      Item("E&xit", CmdAppExit),
                      Separator(),
                      Item("Recent Files", CmdRecentFiles),
                      Separator()}),
      Popup("&Edit", {Item("Add Event", CmdAddEvent),
                      Item("Delete Event", CmdDeleteEvent),
                      Separator(),
                      Item("Edit Trace Information...", CmdEditTraceInfo)}),
      Popup("&View", {Item("Show Toolbar", CmdShowToolbar),
                      Item("Show Status Bar", CmdShowStatusBar),
                      Separator(),
                      Item("Lock Marker A B", CmdLockMarkerAB),
                      Item("Zoom out", CmdZoomOut),
                      Item("View Full Trace", CmdViewFullTrace),
                      Item("Analyze Insertion Loss", CmdAnalyzeInsertionLoss),
                      Item("Analyze Reflectance", CmdAnalyzeReflectance),
                      Item("Length Units...", CmdLengthUnits),
                      Separator(),
                      Item("View Preferences...", CmdViewPreferences)}),
      Popup("&OTDR", {Item("Trace Reanalysis", CmdTraceReanalysis), Item("Pass/Fail...", CmdPassFail)}),
      Popup("&Window", {Item("Cascade", CmdWindowCascade),
                        Separator(),
                        Item("Trace", CmdShowTracePane),
                        Item("EventTable", CmdShowEventTablePane),
                        Item("Parameters", CmdShowParametersPane),
                        Item("Marker Information", CmdShowMarkerInfoPane),
                        Item("Total Fiber Information", CmdShowFiberInfoPane)}),
      Popup("&Help", {Item("Lumivane...", CmdAppAbout)}),
  };
  return menu;
}

const std::vector<MenuEntry>& FrameMenu() {
  static const std::vector<MenuEntry> menu{
      Popup("文件(&F)", {Item("新建(&N)\tCtrl+N", CmdFileNew),
                         Item("打开(&O)...\tCtrl+O", CmdFileOpen),
                         Separator(),
                         Item("打印设置(&R)...", CmdPrintSetup),
                         Separator(),
                         Item("最近文件", CmdRecentFiles),
                         Separator(),
                         Item("退出(&X)", CmdAppExit)}),
      Popup("查看(&V)", {Item("工具栏(&T)", CmdShowToolbar), Item("状态栏(&S)", CmdShowStatusBar)}),
      Popup("帮助(&H)", {Item("帮助主题(&H)", CmdHelpTopics), Separator(), Item("关于 Lumivane(&A)...", CmdAppAbout)}),
      Popup("typ", {Item("GetUseStatus", CmdGetUseStatus),
                    Item("GetPowerStatus", CmdGetPowerStatus),
                    Item("SetParams", CmdSetParams),
                    Item("ClosePower", CmdClosePower),
                    Item("MesStart", CmdMesStart),
                    Item("MesStop", CmdMesStop),
                    Item("Read", CmdRead)}),
      Popup("backup", {Item("pass/fail", CmdPassFail)}),
  };
  return menu;
}

std::span<const ToolbarButton> ToolbarButtons() { return kToolbar; }

std::span<const Accelerator> Accelerators() { return kAccelerators; }

std::vector<int> AllFrameCommandIds() {
  std::vector<int> ids;
  CollectIds(PaneMenu(), ids);
  CollectIds(FrameMenu(), ids);
  for (const ToolbarButton& b : kToolbar) {
    if (b.id != 0) ids.push_back(b.id);
  }
  for (const Accelerator& a : kAccelerators) ids.push_back(a.id);
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}
