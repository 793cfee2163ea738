// The program's own print commands, printed to PDF and read back: what the pages print after batch
// jobs and after the user edited, reanalysed and saved traces that are no longer current.
#include <QApplication>
#include <QDialog>
#include <QMdiSubWindow>
#include <QPrinter>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "panes/event_table_cells.h"
#include "panes/ui/otdr_table_view.h"
#include "reports/report_pdf.h"
#include "reports/ui/batch_print_setup.h"
#include "reports/ui/print_job_control.h"
#include "vocabulary/command_ids.h"

namespace {

using lumivane::test::Has;

class PrintWhatIsShownTest : public ::testing::Test {
 protected:
  COtdrApp& StartOn(const std::string& name) {
    app_ = env_.Start({env_.WriteTrace(name)});
    EXPECT_NE(app_, nullptr);
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

}  // namespace
