#include "reports/ui/print_job_control.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "recording_message_sink.h"
#include "reports/batch_print_state.h"
#include "reports/report_pdf.h"
#include "temp_dir.h"

namespace {

using lumivane::test::TempDir;

/// Writes on each page which routine drew it, its number and what the job handed it.
class TestPages final : public ReportPageRenderer {
 public:
  LoadedTraceSources LoadedTraces() const override { return {}; }
  void BeginJob() override { ++jobs; }
  std::vector<std::string> EndJob() override { return {}; }
  int CountMultiTracePages(int eventTable, int perPageIndex) override {
    lastCountArgs = {eventTable, perPageIndex};
    return multiTracePages;
  }
  void PrintSingleTracePage(const ReportPage& page) override { Draw(page, "single"); }
  void PrintMultiTracePage(const ReportPage& page) override { Draw(page, "multi"); }
  void PrintLayout2Page(const ReportPage& page) override { Draw(page, "combined"); }

  int multiTracePages = 1;
  int jobs = 0;
  std::pair<int, int> lastCountArgs{-9, -9};
  std::vector<std::string> drawn;
  std::vector<QRect> rects;
  std::vector<int> scaleY;

 private:
  void Draw(const ReportPage& page, const std::string& routine) {
    const std::string label =
        routine + " page " + std::to_string(page.pageNumber) + " of " + std::to_string(page.lastPage);
    drawn.push_back(label);
    rects.push_back(page.drawRect);
    scaleY.push_back(page.state.m_nPrintScaleY);
    // A frame along the drawing rectangle and the label near its top-left corner, in 0.01 inch units.
    const double s = page.pixelsPerUnit;
    page.painter.setPen(QPen(Qt::black, 2 * s));
    page.painter.drawRect(QRectF(10 * s, 10 * s, (page.drawRect.right() - 20) * s, (-page.drawRect.bottom() - 20) * s));
    QFont font("Liberation Sans");
    font.setPixelSize(static_cast<int>(20 * s));
    page.painter.setFont(font);
    page.painter.drawText(QPointF(50 * s, 60 * s), QString::fromStdString(label));
  }
};

using lumivane::test::PdfPageCount;
using lumivane::test::PdfPageText;

class PrintJobControlTest : public ::testing::Test {
 protected:
  PrintJobControlTest() : doc_(std::make_unique<COtdrDoc>()) {
    ResetBatchPrint();
    ResetDisplayState();
    doc_->m_strTracePath = "/data/a.sor";
    g_DisplayState.TraceCount = 1;
    env_.askPrint = [this](QPrinter& printer, int lastPage) {
      asked_.push_back(lastPage);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(pdf_));
      return answer_;
    };
    env_.maximiseTracePane = [this] { ++maximised_; };
    control_ = std::make_unique<PrintJobControl>(*doc_, traces_, pages_, env_);
  }
  ~PrintJobControlTest() override {
    ResetBatchPrint();
    ResetDisplayState();
  }

  void AddTrace(const std::string& path, int events) {
    auto record = std::make_unique<TraceRecord>();
    record->m_strPath = path;
    record->m_Model.m_nEventCount = events;
    traces_.push_back(std::move(record));
    g_DisplayState.TraceCount = static_cast<int>(traces_.size());
  }

  TempDir dir_;
  std::string pdf_ = dir_.Path("job.pdf");
  std::unique_ptr<COtdrDoc> doc_;
  std::vector<std::unique_ptr<TraceRecord>> traces_;
  TestPages pages_;
  PrintJobControl::Environment env_;
  std::unique_ptr<PrintJobControl> control_;
  std::vector<int> asked_;
  bool answer_ = true;
  int maximised_ = 0;
};

TEST_F(PrintJobControlTest, NormalReportPrintsItsPagesOnA4PortraitWhateverTheSetupChose) {
  doc_->m_nEventCount = 84;
  control_->Printer().setPageSize(QPageSize(QPageSize::Letter));
  control_->Printer().setPageOrientation(QPageLayout::Landscape);
  control_->OnPrintCommand();
  EXPECT_EQ(maximised_, 1);
  EXPECT_EQ(asked_, std::vector<int>{3});
  EXPECT_EQ(g_FirstPageEventRows, 19);
  ASSERT_EQ(PdfPageCount(pdf_), 3);
  for (int page = 1; page <= 3; ++page) {
    EXPECT_NE(PdfPageText(pdf_, page).find("single page " + std::to_string(page) + " of 3"), std::string::npos) << page;
  }
  const std::string info = lumivane::test::PdfInfo(pdf_);
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  ASSERT_EQ(pages_.rects.size(), 3u);
  // The reference printable area, in 0.01 inch with y pointing up.
  EXPECT_EQ(pages_.rects[0].right(), 779);
  EXPECT_EQ(pages_.rects[0].bottom(), -1136);
  EXPECT_EQ(pages_.scaleY[0], 1);
  EXPECT_EQ(control_->m_bPlaceFrameOnUpdate, 1);
}

TEST_F(PrintJobControlTest, CancelledPrintDialogPrintsNothing) {
  answer_ = false;
  doc_->m_nEventCount = 20;
  control_->OnPrintCommand();
  EXPECT_EQ(asked_, std::vector<int>{2});
  EXPECT_TRUE(pages_.drawn.empty());
  EXPECT_FALSE(std::filesystem::exists(pdf_));
}

TEST_F(PrintJobControlTest, ChosenPageRangeIsHonouredAndForgottenByTheNextJob) {
  doc_->m_nEventCount = 200;  // 4 pages
  env_.askPrint = [this](QPrinter& printer, int) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf_));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    return true;
  };
  control_ = std::make_unique<PrintJobControl>(*doc_, traces_, pages_, env_);
  control_->OnPrintCommand();
  EXPECT_EQ(pages_.drawn, (std::vector<std::string>{"single page 2 of 4", "single page 3 of 4"}));
  EXPECT_EQ(PdfPageCount(pdf_), 2);
  EXPECT_TRUE(control_->OnPreparePrinting(true));
  EXPECT_EQ(control_->Printer().printRange(), QPrinter::AllPages);
}

TEST_F(PrintJobControlTest, CombinedLayoutWithAllTracesCountsTheCombinedTable) {
  doc_->m_PrintOptions.Layout = 2;
  doc_->m_PrintOptions.EventOption = 1;
  doc_->m_nEventCount = 3;
  AddTrace("/data/a.sor", 10);
  AddTrace("/data/b.sor", 10);
  control_->OnPrintCommand();
  EXPECT_EQ(pages_.drawn, (std::vector<std::string>{"combined page 1 of 2", "combined page 2 of 2"}));
  EXPECT_TRUE(control_->PageState().m_bUseCombined);
  EXPECT_EQ(control_->PageState().m_Combined.Rows.size(), 22u);
  EXPECT_EQ(control_->PageState().m_Combined.Names[10], "b.sor");

  // One trace left: the document's own events count, and no table from the last job survives.
  traces_.pop_back();
  g_DisplayState.TraceCount = 1;
  pages_.drawn.clear();
  control_->OnPrintCommand();
  EXPECT_EQ(pages_.drawn, std::vector<std::string>{"combined page 1 of 1"});
  EXPECT_FALSE(control_->PageState().m_bUseCombined);
  EXPECT_TRUE(control_->PageState().m_Combined.Rows.empty());
}

TEST_F(PrintJobControlTest, MultiTraceAsksItsRoutineForThePages) {
  doc_->m_PrintOptions.Layout = 1;
  doc_->m_PrintOptions.PerPageIndex = 2;
  doc_->m_PrintOptions.EventTable = 0;
  pages_.multiTracePages = 5;
  control_->OnPrintCommand();
  EXPECT_EQ(pages_.lastCountArgs, std::make_pair(0, 2));
  ASSERT_EQ(pages_.drawn.size(), 5u);
  EXPECT_EQ(pages_.drawn.back(), "multi page 5 of 5");
  EXPECT_EQ(PdfPageCount(pdf_), 5);
}

TEST_F(PrintJobControlTest, ABatchJobEndsTheBatchSoTheAcceleratorsPrintTheOpenTraceNext) {
  doc_->m_PrintOptions.Layout = 2;
  g_BatchPrint.Active = 1;
  g_BatchPrint.TotalPages = 4;
  g_BatchPrint.FileNames = {"a.sor", "b.sor"};
  control_->OnFilePrint();
  EXPECT_EQ(maximised_, 0);
  EXPECT_EQ(pages_.drawn.size(), 4u);
  EXPECT_EQ(pages_.drawn[0], "single page 1 of 4");
  EXPECT_EQ(g_BatchPrint.Active, 0);
  EXPECT_TRUE(g_BatchPrint.FileNames.empty());

  pages_.drawn.clear();
  control_->OnFilePrint();
  EXPECT_EQ(pages_.drawn, std::vector<std::string>{"combined page 1 of 1"});

  // A batch whose files all failed still gives one empty page, and ends as well.
  g_BatchPrint.Active = 1;
  g_BatchPrint.TotalPages = 0;
  pages_.drawn.clear();
  control_->OnFilePrint();
  EXPECT_EQ(pages_.drawn, std::vector<std::string>{"single page 1 of 1"});
  EXPECT_EQ(g_BatchPrint.Active, 0);
}

TEST_F(PrintJobControlTest, PreviewPaintsTheSameJobAndEndsTheBatch) {
  doc_->m_nEventCount = 20;
  g_BatchPrint.Active = 1;
  int previewPages = -1;
  int placeDuringPreview = -1;
  env_.runPreview = [&](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
    placeDuringPreview = control_->m_bPlaceFrameOnUpdate;
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, paint);
    preview.updatePreview();
    previewPages = preview.pageCount();
  };
  control_ = std::make_unique<PrintJobControl>(*doc_, traces_, pages_, env_);
  control_->OnPrintPreviewCommand();
  EXPECT_EQ(g_BatchPrint.Active, 0);
  EXPECT_EQ(placeDuringPreview, 0);
  EXPECT_EQ(previewPages, 2);
  EXPECT_EQ(control_->m_bPlaceFrameOnUpdate, 1);
  EXPECT_TRUE(asked_.empty());
}

TEST_F(PrintJobControlTest, APrinterThatCannotBeDrawnOnIsReported) {
  lumivane::test::RecordingMessageSink recorder;
  const lumivane::ScopedMessageSink scoped(recorder);
  env_.askPrint = [this](QPrinter& printer, int) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir_.Path("missing/folder/job.pdf")));
    return true;
  };
  control_ = std::make_unique<PrintJobControl>(*doc_, traces_, pages_, env_);
  control_->OnPrintCommand();
  EXPECT_EQ(recorder.MessageTexts(), std::vector<std::string>{"Print failed !"});
  EXPECT_TRUE(pages_.drawn.empty());
}

TEST(PrintSetupTest, AFilePrinterGetsAFittingDialogWithoutAWarning) {
  static std::vector<QString> warnings;
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtWarningMsg) warnings.push_back(text);
      });
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  // Whatever dialog opens is closed as soon as it shows.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
  });
  closer.start(20);
  PrintJobControl::DefaultEnvironment(nullptr).pageSetup(printer);
  closer.stop();
  qInstallMessageHandler(previous);
  for (const QString& warning : warnings) EXPECT_FALSE(warning.contains("QPageSetupDialog")) << warning.toStdString();
}

}  // namespace
