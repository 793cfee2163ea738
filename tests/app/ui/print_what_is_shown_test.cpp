// The program's own print commands, printed to PDF and read back: what the pages print after batch
// jobs and after the user edited, reanalysed and saved traces that are no longer current.
#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/ui/document_file_commands.h"
#include "document/ui/trace_info_dlg.h"
#include "panes/link_value_texts.h"
#include "platform/number_format.h"
#include "panes/event_table_cells.h"
#include "panes/ui/otdr_table_view.h"
#include "reports/report_pdf.h"
#include "reports/ui/batch_print_setup.h"
#include "reports/ui/print_job_control.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"

namespace {

using lumivane::test::Has;

class PrintWhatIsShownTest : public ::testing::Test {
 protected:
  COtdrApp& StartOn(const std::string& name) {
    app_ = env_.Start({env_.WriteTrace(name)});
    EXPECT_NE(app_, nullptr);
    // Shown and painted, as the user sees it: the trace view places the markers as it paints.
    QApplication::setActiveWindow(app_->MainFrame());
    EXPECT_TRUE(QTest::qWaitForWindowActive(app_->MainFrame()));
    Settle();
    app_->Commands().UpdatePass();
    // Print and preview go to a PDF file, the preview painting its pages once.
    app_->PrintJob().SetDialogs(
        [this](QPrinter& printer, int last) {
          return !cancelPrint_ && lumivane::test::PrintToPdf(pdf_)(printer, last);
        },
        [this](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
          lumivane::test::PrintToPdf(pdf_)(printer, 1);
          paint(&printer);
        });
    return *app_;
  }

  void Add(const std::string& name) {
    const std::string path = env_.WriteTrace(name);
    app_->SetFileChooser([path](FileChoice) { return std::optional<std::string>(path); });
    app_->OnAddTrace();
    Settle();
  }

  // Runs a print command and returns the text of every page it printed, or "" when none.
  std::string Run(int command) {
    std::filesystem::remove(pdf_);
    app_->Commands().Execute(command);
    Settle();
    std::string all;
    for (int p = 1; p <= lumivane::test::PdfPageCount(pdf_); ++p) all += lumivane::test::PdfPageText(pdf_, p);
    return all;
  }

  // Batch Print or Batch Print Preview of `names`, files written into a folder of their own.
  std::string RunBatch(int command, const std::vector<std::string>& names) {
    const std::string folder = env_.dir().Path("batch") + "/";
    std::filesystem::create_directories(folder);
    for (const std::string& name : names) std::filesystem::copy_file(env_.WriteTrace(name), folder + name);
    app_->SetBatchDialogRunner([folder, names](CCBatchPrintSetup& dialog) {
      dialog.m_strFolder = folder;
      dialog.m_FileNames = names;
      return static_cast<int>(QDialog::Accepted);
    });
    return Run(command);
  }

  void ExpectOpenTracePrintedAfterBatch(int batchCommand, bool cancel);
  void ExpectSavedTracePrintedAsShown(const std::function<void(COtdrApp&)>& edit, const std::string& printed = {});

  // Delete Event on the table's second row, from the Event Table pane.
  void DeleteSecondEvent() {
    app_->MainFrame()->MdiArea()->setActiveSubWindow(app_->PaneFrame(PaneKind::EventTable));
    TableView().SetSelectionMark(1);
    env_.sink().ScriptReplies({lumivane::Reply::Yes});
    app_->Commands().UpdatePass();
    ASSERT_TRUE(app_->Commands().Execute(CmdDeleteEvent));
  }

  COtdrTableView& TableView() { return *qobject_cast<COtdrTableView*>(app_->PaneFrame(PaneKind::EventTable)->widget()); }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
  std::string pdf_ = env_.dir().Path("printed.pdf");
  bool cancelPrint_ = false;
};

// Ctrl+P, Ctrl+L and the menu's Print and Print Preview after a batch job print the open trace, one
// page of it, and nothing of the batch.
void PrintWhatIsShownTest::ExpectOpenTracePrintedAfterBatch(int batchCommand, bool cancel) {
  StartOn("open.sor");
  cancelPrint_ = cancel;
  const std::string batch = RunBatch(batchCommand, {"first.sor", "second.sor"});
  if (!cancel) {
    EXPECT_TRUE(Has(batch, "first.sor"));
    EXPECT_TRUE(Has(batch, "second.sor"));
  }
  cancelPrint_ = false;
  for (const int command : {CmdPrintActiveView, CmdPrintPreviewActiveView, CmdPrint, CmdPrintPreview}) {
    const std::string text = Run(command);
    EXPECT_TRUE(Has(text, "open.sor")) << command;
    EXPECT_FALSE(Has(text, "first.sor")) << command;
    EXPECT_EQ(lumivane::test::PdfPageCount(pdf_), 1) << command;
  }
}

TEST_F(PrintWhatIsShownTest, AfterABatchPrintThePrintCommandsPrintTheOpenTrace) {
  ExpectOpenTracePrintedAfterBatch(CmdBatchPrint, false);
}

TEST_F(PrintWhatIsShownTest, AfterABatchPreviewThePrintCommandsPrintTheOpenTrace) {
  ExpectOpenTracePrintedAfterBatch(CmdBatchPrintPreview, false);
}

TEST_F(PrintWhatIsShownTest, AfterACancelledBatchPrintThePrintCommandsPrintTheOpenTrace) {
  ExpectOpenTracePrintedAfterBatch(CmdBatchPrint, true);
}

// a.sor edited by `edit` and saved, then b.sor added, which becomes the current trace: the
// Combined page and the Multi Trace cells print a.sor as the table and the panes showed it after
// the save (rows, totals, header, the Ins. Loss line), `printed` among it, and every cell its
// markers inside its graph.
void PrintWhatIsShownTest::ExpectSavedTracePrintedAsShown(const std::function<void(COtdrApp&)>& edit,
                                                          const std::string& printed) {
  COtdrApp& app = StartOn("a.sor");
  COtdrDoc& doc = *app.m_pDocument;
  const int loadedRows = doc.m_nEventCount;
  edit(app);
  Settle();
  app.Commands().Execute(CmdFileSave);
  ASSERT_FALSE(doc.IsModified());
  const EventTableView a = ComputeEventTable(doc, g_LengthUnitFactor);
  const std::string orl = "Total ORL:" + OrlText(doc.m_PassFailThresholds.MeasuredLinkOrl);
  Add("b.sor");
  ASSERT_EQ(doc.m_strTracePath, env_.dir().Path("b.sor"));
  const EventTableView b = ComputeEventTable(doc, g_LengthUnitFactor);

  // Combined, every loaded trace's events: a.sor's rows as the table showed them.
  doc.m_PrintOptions.Layout = kLayoutCombined;
  doc.m_PrintOptions.EventTable = 1;
  doc.m_PrintOptions.EventOption = 1;
  const std::string combined = Run(CmdPrint);
  const std::size_t from = combined.find("EventTable a.sor");
  const std::size_t to = combined.find("EventTable b.sor");
  ASSERT_LT(from, to);
  const std::string rowsOfA = combined.substr(from, to - from);
  for (std::size_t r = 0; r < a.rows.size(); ++r) {
    EXPECT_TRUE(lumivane::test::HasEventRow(rowsOfA, static_cast<int>(r) + 1)) << r + 1;
    EXPECT_TRUE(Has(rowsOfA, a.rows[r].texts[kColLocation])) << r + 1;
  }
  EXPECT_FALSE(lumivane::test::HasEventRow(rowsOfA, static_cast<int>(a.rows.size()) + 1));

  // Multi Trace with event tables, a.sor's cells first.
  doc.m_PrintOptions.Layout = kLayoutMultiTrace;
  doc.m_PrintOptions.PerPageIndex = 1;
  const std::string multi = Run(CmdPrint);
  EXPECT_TRUE(Has(multi, lumivane::Format("(%d)", static_cast<int>(a.rows.size()))));
  EXPECT_TRUE(Has(multi, orl)) << orl;
  if (!printed.empty()) EXPECT_TRUE(Has(multi, printed)) << printed;
  // Each cell's "Ins. Loss at #n" line prints row n's Ins.Loss cell of its trace's table.
  std::size_t at = 0;
  for (const EventTableView* table : {&a, &b}) {
    at = multi.find("Ins. Loss at #", at);
    ASSERT_NE(at, std::string::npos);
    const std::size_t colon = multi.find(": ", at);
    const int n = std::stoi(multi.substr(at + 14, colon - at - 14));
    const std::string value = multi.substr(colon + 2, multi.find(" dB", colon) - colon - 2);
    const bool row = n >= 1 && n <= static_cast<int>(table->rows.size());
    EXPECT_EQ(value, row ? table->rows[static_cast<std::size_t>(n - 1)].texts[kColInsertionLoss] : "-.---") << n;
    at = colon;
  }
  for (const char* outside : {"A<-", "B<-", "->A", "->B"}) EXPECT_FALSE(Has(multi, outside)) << outside;
  EXPECT_NE(static_cast<int>(a.rows.size()), loadedRows) << "the edit changed no row";
}

TEST_F(PrintWhatIsShownTest, AReanalysedAndSavedTracePrintsAsShownOnceAnotherIsCurrent) {
  ExpectSavedTracePrintedAsShown([this](COtdrApp& app) {
    TableView().SetDialogRunner([](QDialog& dialog) {
      dialog.accept();
      return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_TRUE(app.Commands().Execute(CmdTraceReanalysis));
  });
}

TEST_F(PrintWhatIsShownTest, ATraceWithAnEventDeletedAndSavedPrintsAsShownOnceAnotherIsCurrent) {
  ExpectSavedTracePrintedAsShown([this](COtdrApp&) { DeleteSecondEvent(); });
}

TEST_F(PrintWhatIsShownTest, ATraceWithAnEventAddedAndSavedPrintsAsShownOnceAnotherIsCurrent) {
  ExpectSavedTracePrintedAsShown([this](COtdrApp& app) {
    COtdrDoc& doc = *app.m_pDocument;
    doc.m_MarkerState.ActiveMarker = 0;
    doc.m_MarkerState.MarkerA = doc.m_nPointCount / 3;
    TableView().SetDialogRunner([](QDialog& dialog) {
      dialog.accept();
      return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_TRUE(app.Commands().Execute(CmdAddEvent));
  });
}

TEST_F(PrintWhatIsShownTest, ATraceWithItsInformationEditedAndSavedPrintsAsShownOnceAnotherIsCurrent) {
  ExpectSavedTracePrintedAsShown(
      [this](COtdrApp& app) {
        OnEditTraceInfo(*app.m_pDocument, nullptr, [](QDialog& dialog) {
          dynamic_cast<CCTraceInfoDlg&>(dialog).m_strCableId = QStringLiteral("CABLE-EDITED");
          dialog.accept();
          return static_cast<int>(QDialog::Accepted);
        });
        // With a row deleted too, the trace is told apart from the file as it was opened.
        DeleteSecondEvent();
      },
      "Cable ID : CABLE-EDITED");
}

}  // namespace
