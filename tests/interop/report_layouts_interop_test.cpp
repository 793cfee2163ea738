// Every sample file printed in every layout through the print path, the pages read back from the
// PDF and each printed event cell compared with the cell the event table shows for the same file;
// the running program's Marker Information pane against its pages.
#include <QApplication>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/ui/app_test_env.h"
#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/display_state.h"
#include "document/listed_trace_update.h"
#include "document/otdr_doc.h"
#include "document/trace_save.h"
#include "measure/add_event_measurements.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
#include "panes/event_editing.h"
#include "document/trace_record.h"
#include "panes/event_table_cells.h"
#include "panes/trace_values.h"
#include "panes/ui/otdr_gxd_view.h"
#include "panes/ui/otdr_table_view.h"
#include "platform/path_util.h"
#include "trace/trace_conversions.h"
#include "recording_message_sink.h"
#include "reports/ascii_export.h"
#include "reports/batch_page_plan.h"
#include "reports/batch_print_state.h"
#include "reports/print_file_reading.h"
#include "reports/report_pdf.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/single_trace_report.h"
#include "sample_files.h"
#include "temp_dir.h"
#include "traceview/ui/otdr_display_view.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Has;

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The printed cells of the event lines of page texts: a line whose first field is a number, ten
// value cells and a comment; a line naming a trace ("EventTable name") starts that trace's rows.
std::map<std::string, std::vector<std::vector<std::string>>> PrintedRows(const std::string& text,
                                                                       const std::string& first) {
  std::map<std::string, std::vector<std::vector<std::string>>> rows;
  std::string trace = first;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::string trimmed = Trimmed(line);
    if (trimmed.rfind("EventTable ", 0) == 0) {
      trace = trimmed.substr(11);
      continue;
    }
    // The ten value cells hold no blank; what follows them is the comment, which may. The text's
    // layout puts as little as one blank between neighbouring cells.
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; cells.size() < 10 && fields >> cell;) cells.push_back(cell);
    std::string comment;
    std::getline(fields, comment);
    cells.push_back(Trimmed(comment));
    if (cells.size() != 11 || cells[0].find_first_not_of("0123456789") != std::string::npos) continue;
    rows[trace].push_back(cells);
  }
  return rows;
}

class ReportLayoutsInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(0);
    ResetDisplayState();
    ResetBatchPrint();
    ResetLengthUnit();
    for (const auto& file : lumivane::test::SampleSorFiles()) names.push_back(file.name);
  }
  void TearDown() override {
    ResetBatchPrint();
    ResetDisplayState();
    ResetLengthUnit();
  }

  std::unique_ptr<COtdrDoc> Open(const std::string& name) {
    auto doc = std::make_unique<COtdrDoc>();
    const std::string path = lumivane::JoinPath(lumivane::test::SampleDir(), name);
    if (doc->OpenTraceFile(path, 0, doc->m_SorRecord) != 1) return nullptr;
    LoadDisplayModel(kSorFileKind, doc->m_SorRecord, DisplayModelInputs{doc->m_SorRecord.UserName.DistanceCorrection},
                     doc->DisplayModelMembers());
    ApplyStoredLossTotals(doc->m_SorRecord, doc->m_EventRows, doc->m_nEventCount);
    doc->m_strTracePath = path;
    UpdateTraceValues(*doc, nullptr, 0, dir.path().string());
    return doc;
  }

  std::unique_ptr<TraceRecord> Listed(const COtdrDoc& doc, int index) {
    auto record = std::make_unique<TraceRecord>();
    record->m_Model.m_SorRecord = doc.m_SorRecord;
    LoadDisplayModel(kSorFileKind, record->m_Model.m_SorRecord,
                     DisplayModelInputs{doc.m_SorRecord.UserName.DistanceCorrection},
                     DisplayModelTargetOf(record->m_Model));
    ApplyStoredLossTotals(record->m_Model.m_SorRecord, record->m_Model.m_EventRows, record->m_Model.m_nEventCount);
    record->m_strPath = doc.m_strTracePath;
    record->m_nColourIndex = index;
    return record;
  }

  // Prints the job the document's options describe and returns every page's text.
  // `cellSlots` gets the texts of the job's event-table cells as its first page prints.
  std::string Print(COtdrDoc& doc, const std::vector<std::unique_ptr<TraceRecord>>& traces, const std::string& pdf,
                    std::vector<PageSlot>* cellSlots = nullptr) {
    PrintJobControl::Environment env;
    env.askPrint = lumivane::test::PrintToPdf(pdf);
    report = std::make_unique<SingleTraceReport>(doc, traces, SingleTraceReport::Sources{});
    env.progress = [this, cellSlots](int done, int) {
      if (done == 0 && cellSlots != nullptr && report->Slots() != nullptr) *cellSlots = report->Slots()->m_PageSlots;
      return true;
    };
    PrintJobControl control(doc, traces, *report, env);
    control.OnFilePrint();
    std::string all;
    for (int p = 1; p <= lumivane::test::PdfPageCount(pdf); ++p) all += lumivane::test::PdfPageText(pdf, p);
    return all;
  }

  // Counts the cells that differ between the table of `doc` and printed `rows`; every table row
  // must be printed.
  void Compare(const std::string& layout, const COtdrDoc& doc, const std::vector<std::vector<std::string>>& rows) {
    const EventTableView table = ComputeEventTable(doc, g_LengthUnitFactor);
    Compare(layout, doc, table, rows);
  }
  void Compare(const std::string& layout, const COtdrDoc& doc, const EventTableView& table,
               const std::vector<std::vector<std::string>>& rows) {
    EXPECT_EQ(rows.size(), table.rows.size()) << layout << " " << doc.m_strTracePath;
    for (std::size_t i = 0; i < std::min(rows.size(), table.rows.size()); ++i) {
      for (int c = kColLocation; c <= kColLossPrevious; ++c) {
        ++compared[layout];
        const std::string& shown = table.rows[i].texts[static_cast<std::size_t>(c)];
        const std::string& printed = rows[i][static_cast<std::size_t>(c)];
        if (shown != printed) {
          ++differing[layout];
          if (std::getenv("SHOW_CELL_DIFFERENCES") != nullptr) {
            std::cout << layout << " " << doc.m_strTracePath << " row " << i + 1 << " column " << c << ": table \""
                      << shown << "\" printed \"" << printed << "\"\n";
          }
        }
      }
    }
  }

  // The texts of the event-table cells among `cells` that list the file `name`, row by row.
  static std::vector<std::vector<std::string>> SlotRows(const std::vector<PageSlot>& cells, const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    for (const PageSlot& slot : cells) {
      if (slot.Used != 0 || slot.Title != name) continue;
      for (int r = 0; r < slot.RowCount; ++r) {
        rows.emplace_back(slot.EventText.begin() + r * kSlotEventColumns,
                          slot.EventText.begin() + (r + 1) * kSlotEventColumns);
      }
    }
    return rows;
  }

  // The event lines of a comma-separated text export, split into their cells in the table's
  // columns (the export leaves out distances to the previous event and to the end, the loss to the
  // previous event and the comment).
  static std::vector<std::vector<std::string>> ExportRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("[", 0) == 0) {
        inTable = line == "[Event Table]";
        continue;
      }
      std::vector<std::string> fields;
      std::istringstream cells(line);
      for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(Trimmed(cell));
      if (!inTable || fields.size() != 7 || fields[0].empty() ||
          fields[0].find_first_not_of("0123456789") != std::string::npos) {
        continue;
      }
      std::vector<std::string> row(kEventColumnCount);
      row[kColNumber] = fields[0];
      row[kColLocation] = fields[2];
      row[kColReflectance] = fields[3];
      row[kColInsertionLoss] = fields[4];
      row[kColAttenuation] = fields[5];
      row[kColCumulativeLoss] = fields[6];
      rows.push_back(std::move(row));
    }
    return rows;
  }

  lumivane::test::TempDir dir;
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped{sink};
  std::vector<std::string> names;
  std::unique_ptr<SingleTraceReport> report;
  std::map<std::string, int> compared;
  std::map<std::string, int> differing;
};

TEST_F(ReportLayoutsInterop, EveryLayoutPrintsTheEventTablesCells) {
  SKIP_WITHOUT_SAMPLES();
  std::vector<std::unique_ptr<COtdrDoc>> docs;
  for (const std::string& name : names) {
    docs.push_back(Open(name));
    ASSERT_NE(docs.back(), nullptr) << name;
  }

  // The open trace on its own report.
  for (std::size_t f = 0; f < docs.size(); ++f) {
    COtdrDoc& doc = *docs[f];
    std::vector<std::unique_ptr<TraceRecord>> traces;
    traces.push_back(Listed(doc, 0));
    g_DisplayState.TraceCount = 1;
    const auto rows = PrintedRows(Print(doc, traces, dir.Path("normal.pdf")), names[f]);
    Compare("normal", doc, rows.count(names[f]) != 0 ? rows.at(names[f]) : std::vector<std::vector<std::string>>{});
  }

  // Four traces loaded, every trace's events on the combined report, each under its name.
  {
    std::vector<std::unique_ptr<TraceRecord>> traces;
    for (std::size_t f = 0; f < std::min<std::size_t>(4, docs.size()); ++f) {
      traces.push_back(Listed(*docs[f], static_cast<int>(f)));
    }
    g_DisplayState.TraceCount = static_cast<int>(traces.size());
    COtdrDoc& current = *docs[0];
    current.m_PrintOptions.Layout = kLayoutCombined;
    current.m_PrintOptions.EventOption = 1;
    const auto rows = PrintedRows(Print(current, traces, dir.Path("combined.pdf")), "<no heading>");
    EXPECT_EQ(rows.count("<no heading>"), 0u) << "rows before the first trace's name";
    for (std::size_t f = 0; f < traces.size(); ++f) {
      Compare("combined", *docs[f], rows.count(names[f]) != 0 ? rows.at(names[f]) : std::vector<std::vector<std::string>>{});
    }
    current.m_PrintOptions.Layout = kLayoutNormal;
    current.m_PrintOptions.EventOption = -1;
    g_DisplayState.TraceCount = 0;
  }

  // Every file as a batch, one report each and eight cells with event tables to a page.
  std::vector<std::unique_ptr<TraceRecord>> none;
  auto batchDoc = std::make_unique<COtdrDoc>();
  for (const int layout : {kLayoutNormal, kLayoutMultiTrace}) {
    ResetBatchPrint();
    SetLengthUnit("km");
    batchDoc->m_PrintOptions.Layout = layout;
    batchDoc->m_PrintOptions.PerPageIndex = 3;
    batchDoc->m_PrintOptions.EventTable = 1;
    ASSERT_EQ(PlanBatchPrint(g_BatchPrint, lumivane::test::SampleDir() + "/", names, batchDoc->m_PrintOptions,
                             batchDoc->m_ConfigReport),
              BatchPlanResult::kOk);
    // The job ends its batch; which page holds which file is read before.
    const BatchPrintState batch = g_BatchPrint;
    std::vector<PageSlot> cellSlots;
    const std::string text = Print(*batchDoc, none, dir.Path("batch.pdf"), &cellSlots);
    EXPECT_FALSE(Has(text, "Read file failed !"));
    for (std::size_t f = 0; f < docs.size(); ++f) {
      // Each page in its file's own unit, compared with its table shown in that unit.
      ApplyFileLengthUnit(docs[f]->m_SorRecord);
      if (layout == kLayoutNormal) {
        std::string pages;
        for (int p = 1; p <= batch.TotalPages; ++p) {
          if (batch.PageMap[static_cast<std::size_t>(p)].File == static_cast<int>(f)) {
            pages += lumivane::test::PdfPageText(dir.Path("batch.pdf"), p);
          }
        }
        Compare("batch", *docs[f], PrintedRows(pages, names[f])[names[f]]);
      } else {
        // A cell prints its slot's texts as they are.
        const std::vector<std::vector<std::string>> rows = SlotRows(cellSlots, names[f]);
        for (std::size_t r = 0; r < rows.size(); ++r) {
          EXPECT_TRUE(Has(text, rows[r][kColLocation])) << names[f] << " row " << r + 1;
        }
        Compare("multi trace", *docs[f], rows);
      }
    }
  }
  SetLengthUnit("km");

  // The text export of each file.
  AsciiExportOptions exportOptions;
  exportOptions.IntervalType = 1;
  for (std::size_t f = 0; f < docs.size(); ++f) {
    const EventTableView table = ComputeEventTable(*docs[f], 1.0);
    const auto rows = ExportRows(ComposeAsciiExport(*docs[f], exportOptions, ExportUnit{"km", 1.0}));
    ASSERT_EQ(rows.size(), table.rows.size()) << names[f];
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (const int c : {kColLocation, kColReflectance, kColInsertionLoss, kColAttenuation, kColCumulativeLoss}) {
        ++compared["export"];
        if (rows[r][static_cast<std::size_t>(c)] != table.rows[r].texts[static_cast<std::size_t>(c)]) {
          ++differing["export"];
        }
      }
    }
  }

  for (const auto& [layout, count] : compared) {
    std::cout << "cells compared, " << layout << ": " << count << ", differing: " << differing[layout] << "\n";
    RecordProperty("differing_" + layout, differing[layout]);
  }
  // Every layout prints the table's texts, cell for cell.
  for (const auto& [layout, count] : compared) {
    EXPECT_GT(count, 0) << layout;
    EXPECT_EQ(differing[layout], 0) << layout;
  }
}

// Each file edited as a user would (reanalysed, an event added or deleted) and saved as a copy,
// four of them loaded with the first current: the combined table and the Multi Trace cells print
// every trace as its table shows it after the edit, the current one from the document and the
// others from their list records as the save left them.
TEST_F(ReportLayoutsInterop, EveryLayoutPrintsEditedTracesAsTheirTablesShowThem) {
  SKIP_WITHOUT_SAMPLES();
  enum class Edit { Reanalysis, AddEvent, DeleteEvent };
  std::vector<std::unique_ptr<COtdrDoc>> docs;
  std::vector<std::unique_ptr<TraceRecord>> traces;
  for (std::size_t f = 0; f < std::min<std::size_t>(4, names.size()); ++f) {
    SCOPED_TRACE(names[f]);
    docs.push_back(Open(names[f]));
    ASSERT_NE(docs.back(), nullptr);
    COtdrDoc& doc = *docs.back();
    traces.push_back(Listed(doc, static_cast<int>(f)));
    TraceRecord& record = *traces.back();
    // The list record follows each save, as the program's list does.
    doc.SetSavedListener([&doc, &record](const std::string&) { StoreSavedTrace(doc, record); });
    const int events = doc.m_nEventCount;
    switch (static_cast<Edit>(f % 3)) {
      case Edit::Reanalysis:
        ASSERT_EQ(ReanalyzeDocument(doc, PrefillAnalysisSettings(doc.m_FibreParams)), ReanalysisOutcome::Done);
        break;
      case Edit::AddEvent: {
        // Halfway along the first section after the launch.
        ASSERT_GE(events, 2);
        const int from = TimeToIndex(doc.m_SorRecord.KeyEvents.Events[0].TimeOfFlight, doc.m_SorRecord);
        const int to = TimeToIndex(doc.m_SorRecord.KeyEvents.Events[1].TimeOfFlight, doc.m_SorRecord);
        doc.m_MarkerState.ActiveMarker = 0;
        doc.m_MarkerState.MarkerA = (from + to) / 2;
        doc.SetMarkerWindows();
        AddEventMeasurements measurements(doc);
        const AddEventStart start = ProposeEvent(doc, measurements);
        ASSERT_EQ(start.refusal, AddEventRefusal::None);
        InsertEvent(doc, start.proposal);
        break;
      }
      case Edit::DeleteEvent:
        ASSERT_GE(events, 3);
        ASSERT_TRUE(DeleteEvent(doc, 1));
        break;
    }
    UpdateTraceValues(doc, nullptr, 0, dir.path().string());
    SaveEnvironment save;
    const std::string copy = dir.Path(names[f]);
    save.chooseSaveAsPath = [&copy] { return std::optional<SaveAsChoice>(SaveAsChoice{copy, false}); };
    ASSERT_TRUE(OnFileSaveAs(doc, save));
    ASSERT_EQ(record.m_strPath, copy);
  }
  g_DisplayState.TraceCount = static_cast<int>(traces.size());
  COtdrDoc& current = *docs[0];

  current.m_PrintOptions.Layout = kLayoutCombined;
  current.m_PrintOptions.EventOption = 1;
  const auto combined = PrintedRows(Print(current, traces, dir.Path("combined.pdf")), "<no heading>");
  for (std::size_t f = 0; f < docs.size(); ++f) {
    Compare("combined after edits", *docs[f],
            combined.count(names[f]) != 0 ? combined.at(names[f]) : std::vector<std::vector<std::string>>{});
  }

  current.m_PrintOptions.Layout = kLayoutMultiTrace;
  current.m_PrintOptions.PerPageIndex = 3;
  current.m_PrintOptions.EventTable = 1;
  std::vector<PageSlot> cellSlots;
  const std::string text = Print(current, traces, dir.Path("multi.pdf"), &cellSlots);
  for (std::size_t f = 0; f < docs.size(); ++f) {
    const std::vector<std::vector<std::string>> rows = SlotRows(cellSlots, names[f]);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      EXPECT_TRUE(Has(text, rows[r][kColLocation])) << names[f] << " row " << r + 1;
    }
    Compare("multi trace after edits", *docs[f], rows);
  }
  g_DisplayState.TraceCount = 0;

  for (const auto& [layout, count] : compared) {
    std::cout << "cells compared, " << layout << ": " << count << ", differing: " << differing[layout] << "\n";
    EXPECT_GT(count, 0) << layout;
    EXPECT_EQ(differing[layout], 0) << layout;
  }
}

// The Marker Information pane and the pages of the running program, each sample file in three
// states of the trace list: opened alone, added after two others (current after them), and opened
// before two others were added, then made current again with its trace button. Its markers stand
// where opening puts them, then where a technician puts them: A on row 2 chosen in the table, B
// on the last row chosen in the table and stepped 25 samples back with the arrow key (the markers
// keep the windows of the events they were chosen on). Every marker line of the pane reads the same
// in the Normal page's markers block and in the file's Multi Trace cell, which prints the pane's
// distance, losses, attenuations and cumulative loss.
class PanesAndPagesInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& file : lumivane::test::SampleSorFiles()) names.push_back(file.name);
  }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  static std::string PathOf(const std::string& name) { return lumivane::JoinPath(lumivane::test::SampleDir(), name); }

  void Start(const std::string& name) {
    app = env->Start({PathOf(name)});
    ASSERT_NE(app, nullptr);
    QApplication::setActiveWindow(app->MainFrame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(app->MainFrame()));
    app->SetFileChooser([this](FileChoice) { return std::optional<std::string>(chosen); });
    app->PrintJob().SetDialogs([this](QPrinter& printer, int last) { return lumivane::test::PrintToPdf(pdf)(printer, last); },
                               {});
    Settle();
  }
  void Add(const std::string& name) {
    chosen = PathOf(name);
    app->OnAddTrace();
    Settle();
  }

  COtdrDoc& Doc() { return *app->m_pDocument; }
  COtdrDisplayView& View() { return *qobject_cast<COtdrDisplayView*>(app->PaneFrame(PaneKind::Trace)->widget()); }
  COtdrTableView& Table() { return *qobject_cast<COtdrTableView*>(app->PaneFrame(PaneKind::EventTable)->widget()); }
  PaneLines Pane() { return qobject_cast<COtdrGxdView*>(app->PaneFrame(PaneKind::MarkerInfo)->widget())->Lines(); }

  void ChooseRow(int row) {
    const QModelIndex cell = Table().Model().index(row, 2);
    Table().scrollTo(cell);
    QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, Table().visualRect(cell).center());
    Settle();
  }
  void MakeActive(int marker) {
    if (Doc().m_MarkerState.ActiveMarker != marker) QTest::keyClick(&View(), Qt::Key_F, Qt::ShiftModifier);
    Settle();
    EXPECT_EQ(Doc().m_MarkerState.ActiveMarker, marker);
  }
  // False on a trace of fewer than two rows, which leaves the markers where they stand.
  bool PlaceAsATechnician() {
    const int rows = Doc().m_nEventCount;
    if (rows < 2) return false;
    MakeActive(0);
    ChooseRow(1);
    MakeActive(1);
    ChooseRow(rows - 1);
    for (int i = 0; i < 25; ++i) QTest::keyClick(&View(), Qt::Key_Left);
    Settle();
    return true;
  }

  // Every page of the job the options describe, printed with the program's own print command.
  std::string Print(int layout) {
    Doc().m_PrintOptions.Layout = layout;
    Doc().m_PrintOptions.PerPageIndex = 0;
    Doc().m_PrintOptions.EventTable = 0;
    std::filesystem::remove(pdf);
    app->Commands().Execute(CmdPrint);
    Settle();
    std::string all;
    for (int p = 1; p <= lumivane::test::PdfPageCount(pdf); ++p) all += lumivane::test::PdfPageText(pdf, p);
    return all;
  }

  // The value printed after `label` on its line: up to a wider gap than a blank, or the line's end.
  static std::string PrintedAfter(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    if (at == std::string::npos) return "<no " + label + ">";
    std::size_t from = text.find_first_not_of(" :", at + label.size());
    const std::size_t lineEnd = std::min(text.find('\n', from), text.size());
    const std::size_t gap = std::min(text.find("  ", from), lineEnd);
    return text.substr(from, gap - from);
  }

  // The text of the Multi Trace cell of `name`: from its file line to the next cell's. A long name
  // breaks over lines in the cell's title: names compare without their blanks and line breaks.
  static std::string CellOf(const std::string& text, const std::string& name) {
    const auto unbroken = [](std::string s) {
      std::erase_if(s, [](char c) { return c == ' ' || c == '\n'; });
      return s;
    };
    const std::string title = unbroken("File : " + name);
    for (std::size_t from = text.find("File : "); from != std::string::npos; from = text.find("File : ", from + 1)) {
      std::string cell = text.substr(from, text.find("File : ", from + 1) - from);
      if (unbroken(cell).starts_with(title)) return cell;
    }
    return {};
  }

  void Count(const std::string& layout, const std::string& what, const std::string& pane, const std::string& page) {
    ++compared[layout];
    if (pane == page) return;
    ++differing[layout];
    if (std::getenv("SHOW_CELL_DIFFERENCES") != nullptr) {
      std::cout << layout << " " << what << ": pane \"" << pane << "\" printed \"" << page << "\"\n";
    }
  }

  // The pane's marker lines against the Normal page's markers block, and those the cell prints
  // against the cell of `name` in `multi`.
  void Compare(const std::string& state, const std::string& name, const PaneLines& pane, const std::string& normal,
               const std::string& multi) {
    // The pane's lines in order: A-B, 2-point loss, 2-point and LSA attenuation, insertion loss and
    // reflectance at the active marker, 2-point ORL, cumulative loss to it. The page labels the
    // first four and the ORL its own way and the marker's readings as the pane does.
    const std::array<std::string, 8> pageLabels{g_CurrentStrings[215], g_CurrentStrings[216], g_CurrentStrings[217],
                                                g_CurrentStrings[218], pane[4].label,        pane[5].label,
                                                g_CurrentStrings[250], pane[7].label};
    const std::string cell = CellOf(multi, name);
    for (std::size_t k = 0; k < pane.size(); ++k) {
      const std::string what = state + " " + name + " " + pane[k].label;
      const std::string shown = Trimmed(pane[k].value);
      if (!normal.empty()) Count("normal", what, shown, PrintedAfter(normal, pageLabels[k]));
      if (k == 4 || k == 5 || k == 6) continue;  // a cell prints the table's loss line and the link's ORL
      Count("multi trace", what, shown, PrintedAfter(cell, pageLabels[k]));
    }
  }

  // The file's pane and both pages, its markers where the program put them and then where a
  // technician puts them.
  void CompareCurrent(const std::string& state, const std::string& name) {
    for (const bool placed : {false, true}) {
      if (placed && !PlaceAsATechnician()) return;
      const std::string where = state + (placed ? ", markers placed" : "");
      Compare(where, name, Pane(), Print(kLayoutNormal), Print(kLayoutMultiTrace));
    }
  }

  std::vector<std::string> names;
  std::unique_ptr<lumivane::test::AppTestEnv> env;
  COtdrApp* app = nullptr;
  std::string chosen;
  std::string pdf;
  std::map<std::string, int> compared;
  std::map<std::string, int> differing;
};

TEST_F(PanesAndPagesInterop, EveryMarkerLineOfThePaneReadsTheSameOnTheNormalAndMultiTracePages) {
  SKIP_WITHOUT_SAMPLES();
  ASSERT_GE(names.size(), 3u);
  for (std::size_t f = 0; f < names.size(); ++f) {
    const std::string& name = names[f];
    const std::string& other1 = names[(f + 1) % names.size()];
    const std::string& other2 = names[(f + 2) % names.size()];
    SCOPED_TRACE(name);
    const auto fresh = [this] {
      env.reset();
      env = std::make_unique<lumivane::test::AppTestEnv>();
      pdf = env->dir().Path("printed.pdf");
    };

    fresh();
    ASSERT_NO_FATAL_FAILURE(Start(name));
    CompareCurrent("alone", name);

    fresh();
    ASSERT_NO_FATAL_FAILURE(Start(other1));
    Add(other2);
    Add(name);
    ASSERT_EQ(Doc().m_strTracePath, PathOf(name));
    CompareCurrent("added after two others", name);

    // Not current, its cell shows what the pane shows once its trace button makes it current.
    fresh();
    ASSERT_NO_FATAL_FAILURE(Start(name));
    Add(other1);
    Add(other2);
    const std::string multi = Print(kLayoutMultiTrace);
    app->Commands().Execute(CmdTrace1);
    Settle();
    ASSERT_EQ(Doc().m_strTracePath, PathOf(name));
    Compare("before two others, not current", name, Pane(), {}, multi);
    CompareCurrent("before two others, made current", name);
  }
  env.reset();

  for (const auto& [layout, count] : compared) {
    std::cout << "marker lines compared, " << layout << ": " << count << ", differing: " << differing[layout] << "\n";
    RecordProperty("differing_" + layout, differing[layout]);
    EXPECT_GT(count, 0) << layout;
    EXPECT_EQ(differing[layout], 0) << layout;
  }
}

}  // namespace
