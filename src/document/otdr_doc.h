#pragma once
// The one trace document. It holds the current trace (its SR-4731 record, display model and
// markers; the record keeps the file's bytes for the save), and the settings of the run that
// several subsystems share; all five panes are views of it. About 60 KB and the current trace's
// samples and file: create it on the heap.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/analysis_types.h"
#include "document/doc_view.h"
#include "document/document_commands.h"
#include "document/document_settings.h"
#include "document/trace_display_model.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"
#include "vocabulary/pixel_geometry.h"

/// The title shown for the pseudo-path of an empty document.
inline constexpr std::string_view kNoFileTitle = " No use this name ";

class COtdrDoc {
 public:
  COtdrDoc();
  ~COtdrDoc();
  COtdrDoc(const COtdrDoc&) = delete;
  COtdrDoc& operator=(const COtdrDoc&) = delete;

  // --- Views -------------------------------------------------------------------------------
  /// Registers a pane's view; broadcasts reach it in the order of its pane kind.
  void AddView(DocView& view, PaneKind kind);
  /// Forgets a view; safe during a broadcast.
  void RemoveView(const DocView& view);
  /// Tells every registered view but `sender` about a change, in pane order.
  void UpdateAllViews(DocView* sender, int hint);
  /// Brings the values that several panes and the printed report show (marker readings, link ORL)
  /// up to date on every broadcast, after the views, whichever panes are open.
  void SetValuesUpdate(std::function<void(COtdrDoc&, DocView* sender, int hint)> update) { m_ValuesUpdate = std::move(update); }
  /// Runs that update as after a change of the document itself: the panes laid out afresh after an
  /// open hear of no broadcast, but the values must follow the new trace.
  void UpdateValues() {
    if (m_ValuesUpdate) m_ValuesUpdate(*this, nullptr, kHintRefresh);
  }
  /// Makes every view lay its pane out again and refresh itself, in pane order.
  void OnWindowCascade();

  // --- Commands and framework duties ---------------------------------------------------------
  DocumentCommands& Commands() { return m_Commands; }
  const DocumentCommands& Commands() const { return m_Commands; }
  /// Gives the document its Save; without one nothing can be saved.
  void BindSave(std::function<bool()> save) { m_Save = std::move(save); }
  /// Saves to the document's own path whatever `path` says; returns whether the save succeeded.
  bool OnSaveDocument(std::string_view path);
  /// Asks whether to save a modified document; false when the user cancels or the save fails.
  bool SaveModified();
  /// Whether the frame may close (the save prompt allowing).
  bool CanCloseFrame() { return SaveModified(); }
  /// Empties the edit state and refreshes every view; the document itself stays.
  void OnCloseDocument();
  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
  /// The framework's path name of the document.
  const std::string& GetPathName() const { return m_strPathName; }
  void SetPathName(std::string_view path) { m_strPathName = path; }

  // --- Loading -----------------------------------------------------------------------------
  /// Reads a trace file into `target` and makes it the current trace's path and title; "space"
  /// only sets the title. Returns 1 on success, 0 after a message; a failure changes nothing.
  /// The open path builds the display model (LoadDisplayModel) right after a success.
  int OpenTraceFile(std::string_view path, int fileKind, SorRecord& target);
  /// Reads a trace file into `target` without touching the path or the title; 1 or 0 as above.
  int LoadTraceFile(std::string_view path, int fileKind, SorRecord& target);
  /// Sets the main window's title to the product title and "[name]".
  void SetMainTitle(std::string_view name);
  /// The main window's title text, which the shell shows.
  const std::string& MainTitle() const { return m_strMainTitle; }
  /// Called with the new title whenever it changes.
  void SetTitleListener(std::function<void(const std::string&)> listener) { m_TitleListener = std::move(listener); }
  /// Called after every save that wrote the trace, with the path the trace had before it (Save As
  /// gives it another).
  void SetSavedListener(std::function<void(const std::string&)> listener) { m_SavedListener = std::move(listener); }
  /// Tells the saved listener that the trace, called `previousPath` until now, was written.
  void NotifySaved(const std::string& previousPath) const;
  /// Empties the events and the point count, the current event and the active marker; returns 1.
  int ResetEditState();
  /// Whether the document holds a trace (its path is neither empty nor the pseudo-path).
  bool HasTrace() const;

  // --- Conversions on the current trace -------------------------------------------------------
  /// Sample index of a distance (km from the user's zero) on the current trace, clamped to it; 0
  /// with a message when no SR-4731 trace is loaded.
  std::int32_t GetPosition_Distance(float distanceKm);
  /// Time of the current trace's file (0.1 ns from its user's zero) of a distance (km) from the
  /// user's zero.
  std::int32_t DistanceToTime(float distanceKm) const;
  /// Seats the active marker's aux-marker windows around it.
  void SetMarkerWindows();

  /// The current trace's display members, for LoadDisplayModel.
  DisplayModelTarget DisplayModelMembers();

  // --- Members, in the order the rest of the program knows them ------------------------------
  std::int32_t m_nFileLength = 0;         // bytes of the file last read
  bool m_bFileDamaged = false;            // the file last read ends inside its blocks (read with a warning)
  std::unique_ptr<std::thread> m_pUploadWorker;  // the running upload, joined before the document goes
  AsciiExportOptions m_AsciiExportOptions;
  std::int32_t m_nTableClickedEvent = 0;  // event last chosen by a click on an event-table row
  PassFailThresholds m_PassFailThresholds;
  MarkerReadings m_MarkerReadings;        // what the markers measure; the pane and the report show it
  std::string m_strTracePath;             // the current trace's path; "space" or empty: none
  std::string m_strSavePath;              // path of the last save
  std::string m_strViewCaption;           // the Trace pane's scale caption
  TraceDateTime m_TraceDateTime{};
  SorRecord m_SorRecord{};
  FibreParamsRecord m_FibreParams{};
  LinkSummaryRecord m_LinkSummary{};
  std::array<EventRow, kMaxEventRows> m_EventRows{};
  std::int32_t m_nEventCount = 0;
  std::int32_t m_nEndEventRow = 0;        // row of the end-of-fibre event
  MarkerState m_MarkerState;
  DbSampleArray m_DbSamples{};
  double m_dFibreLengthKm = 0.0;          // km covered by the samples
  double m_dAcquisitionRangeKm = 0.0;
  ConfigReport m_ConfigReport;
  PrintOptions m_PrintOptions;
  std::int32_t m_nPointCount = 0;         // samples of the current trace
  std::int32_t m_nCurrentEvent = 0;       // the event-table row the markers and panes follow
  PortSettings m_PortSettings;
  double m_dDbCeiling = 0.0;              // dB
  std::string m_strWorkPath;              // pass/fail INI path or upload folder
  PixelPoint m_ptMarkerAArrow;            // where the off-screen arrow of marker A was drawn
  PixelPoint m_ptMarkerBArrow;
  std::uint8_t m_bMarkerAArrow = 0;       // whether the arrow of marker A is shown
  std::uint8_t m_bMarkerBArrow = 0;
  std::int32_t m_bOffsetReset = 0;
  std::array<TraceColour, kTraceColourCount> m_TraceColours = kDefaultTraceColours;
  PixelRect m_rcMarkerALabel;             // label areas of the markers, for mouse hits
  PixelRect m_rcMarkerBLabel;
  std::int32_t m_bAnalysedOnce = 0;
  std::int32_t m_bReanalysed = 0;
  double m_dCurrentOffsetDb = 0.0;        // vertical offset of the current trace, dB
  // The engine's working storage, kept from one reanalysis to the next so a reanalysis runs warm.
  std::unique_ptr<AnalysisScratch> m_pAnalysisScratch = std::make_unique<AnalysisScratch>();

 private:
  struct RegisteredView {
    DocView* view;
    PaneKind kind;
  };
  std::vector<DocView*> ViewsInPaneOrder() const;
  bool IsRegistered(const DocView* view) const;

  std::vector<RegisteredView> m_Views;
  DocumentCommands m_Commands;
  std::function<bool()> m_Save;
  std::function<void(COtdrDoc&, DocView*, int)> m_ValuesUpdate;
  std::function<void(const std::string&)> m_TitleListener;
  std::function<void(const std::string&)> m_SavedListener;
  std::string m_strPathName;
  std::string m_strMainTitle;
  bool m_bModified = false;
};
