// Two traces whose user's zeros lie at different distances from their first samples, overlaid in
// the running program: a feature stands on the distance axis where its own trace's table puts it,
// whichever trace is current, in the Trace pane and on the printed Combined page.
#include <QApplication>
#include <QImage>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "reports/report_pdf.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/single_trace_report.h"
#include "sor/sor_reader.h"
#include "sor/sor_writer.h"
#include "sor_image_builder.h"
#include "traceview/marker_rules.h"
#include "trace/trace_conversions.h"
#include "traceview/ui/otdr_display_view.h"
#include "vocabulary/command_ids.h"

namespace {

// Where each trace's table shows its reflection, from its own user's zero.
constexpr float kFeatureKm = 1.4477f;
constexpr float kEndKm = 3.0f;

struct TraceSpec {
  const char* name;
  double userOffsetKm;  // from the front panel, which is the first sample here
  int points;
  std::int32_t dataSpacing;  // 100 ps per 10,000 samples
  // Levels (0.001 dB) of the backscatter and the reflection's peak; the traces' spikes overlap only
  // in part, so each shows whichever is drawn over the other.
  std::uint16_t backscatter;
  std::uint16_t reflection;
};

// A file with one sharp reflection at the sample its key event's time names (kFeatureKm from its
// user's zero), the trace flat elsewhere.
std::string WriteOffsetTrace(lumivane::test::AppTestEnv& env, const TraceSpec& spec) {
  auto record = std::make_unique<SorRecord>();
  const lumivane::test::Bytes image = lumivane::test::MakeSampleSorV2();
  EXPECT_EQ(ReadSorImage(image, *record), SorReadResult::kOk);
  SorFxdParams& fxd = record->FxdParams;
  fxd.DataSpacing[0] = spec.dataSpacing;
  fxd.DataPointCounts[0] = spec.points;
  fxd.AcquisitionOffset = 0;
  fxd.FrontPanelOffset = 0;
  record->GenParams.UserOffset = DistanceToFileTime(static_cast<float>(spec.userOffsetKm), *record);
  record->GenParams.UserOffsetDistance = 0;
  SorKeyEvents& keys = record->KeyEvents;
  const std::int32_t times[] = {0, DistanceToFileTime(kFeatureKm, *record), DistanceToFileTime(kEndKm, *record)};
  const char16_t* codes[] = {u"1F9999", u"1F9999", u"1E9999"};
  for (int k = 0; k < 3; ++k) {
    SorKeyEvent& event = keys.Events[static_cast<std::size_t>(k)];
    event.TimeOfFlight = times[k];
    std::copy_n(codes[k], 6, event.EventCode);
    for (int m = 0; m < 5; ++m) event.MarkerLocations[m] = times[k];
  }
  keys.EndToEndMarker1 = 0;
  keys.EndToEndMarker2 = times[2];
  SorTraceData& trace = record->DataPts.Traces[0];
  record->DataPts.TotalPointCount = spec.points;
  trace.PointCount = spec.points;
  trace.ScaleFactor = 1000;
  trace.Samples.assign(static_cast<std::size_t>(spec.points), spec.backscatter);
  trace.Samples[static_cast<std::size_t>(TimeToIndex(times[1], *record))] = spec.reflection;
  const std::string path = env.dir().Path(spec.name);
  EXPECT_EQ(WriteSorFile(*record, path), SorWriteResult::kOk);
  return path;
}

// The column of the highest pixel of a colour within `area`; nullopt when the colour is nowhere.
std::optional<int> TopColumn(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& isColour) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (isColour(image.pixel(x, y))) return x;
    }
  }
  return std::nullopt;
}

// The column of `area` holding the most pixels of a colour (a reflection's spike is the one tall
// run of a flat trace); nullopt when the colour is nowhere.
std::optional<int> SpikeColumn(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& isColour) {
  std::optional<int> best;
  int most = 0;
  for (int x = area.left(); x <= area.right(); ++x) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) count += isColour(image.pixel(x, y)) ? 1 : 0;
    if (count > most) {
      most = count;
      best = x;
    }
  }
  return best;
}

class OverlayOffsetsTest : public ::testing::Test {
 protected:
  // The 547 m trace current, the 160 m trace of coarser samples beside it.
  void SetUp() override {
    const std::string later = WriteOffsetTrace(env_, {"later-zero.sor", 0.547, 5000, 500000, 20000, 10000});
    const std::string earlier = WriteOffsetTrace(env_, {"earlier-zero.sor", 0.160, 2600, 1000000, 30000, 15000});
    app_ = env_.Start();
    ASSERT_NE(app_, nullptr);
    std::string chosen;
    app_->SetFileChooser([&chosen](FileChoice) { return std::optional<std::string>(chosen); });
    for (const std::string& path : {earlier, later}) {
      chosen = path;
      app_->OnAddTrace();
    }
    app_->SetFileChooser({});
    QApplication::setActiveWindow(app_->MainFrame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(app_->MainFrame()));
    Settle();
    ASSERT_EQ(app_->m_TraceList.size(), 2u);
    ASSERT_EQ(app_->m_pDocument->m_strTracePath, later);
  }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  COtdrDisplayView& TraceView() { return *qobject_cast<COtdrDisplayView*>(app_->PaneFrame(PaneKind::Trace)->widget()); }

  // The colour of the listed trace at `position`, as the painters draw it.
  QRgb ColourOf(int position) const {
    const TraceColour& c = TraceColourAt(app_->m_pDocument->m_TraceColours, app_->m_TraceList[position]->m_nColourIndex);
    return qRgb(c.Red, c.Green, c.Blue);
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
};

TEST_F(OverlayOffsetsTest, AFeatureReadsItsOwnTablesDistanceWhicheverTraceIsCurrent) {
  for (const char* current : {"later-zero.sor", "earlier-zero.sor"}) {
    SCOPED_TRACE(current);
    if (std::string(current) == "earlier-zero.sor") {
      app_->Commands().Execute(CmdTrace1);
      Settle();
    }
    COtdrDoc& doc = *app_->m_pDocument;
    ASSERT_EQ(doc.m_strTracePath, env_.dir().Path(current));
    COtdrDisplayView& view = TraceView();
    view.viewport()->repaint();
    Settle();
    const QImage& picture = view.CachedBackground();
    ASSERT_FALSE(picture.isNull());
    const QRect all(0, 0, picture.width(), picture.height());
    for (std::size_t position = 0; position < app_->m_TraceList.size(); ++position) {
      const TraceRecord& trace = *app_->m_TraceList[position];
      SCOPED_TRACE(trace.m_strPath);
      const QRgb colour = ColourOf(static_cast<int>(position));
      const std::optional<int> x = SpikeColumn(picture, all, [colour](QRgb p) { return p == colour; });
      ASSERT_TRUE(x.has_value());
      // The marker put on that column reads the feature's row of that trace's own table.
      const TraceViewState& state = view.State();
      const int marker = SampleAxis{state.m_dPixelsPerSample, state.m_dOriginX, picture.width()}.SampleAt(*x);
      const double reading = GetDistance_Position(marker, kSorFileKind, doc.m_SorRecord, doc.m_dFibreLengthKm);
      const double kmPerPixel = doc.m_dFibreLengthKm / view.State().m_sizeScrollTotal.width;
      // Within the two columns of the wide pen and the pixel a sample's x is truncated to.
      EXPECT_NEAR(reading, trace.m_Model.m_EventRows[1].Distance, 2.5 * kmPerPixel);
      EXPECT_NEAR(trace.m_Model.m_EventRows[1].Distance, kFeatureKm, 1e-4);
    }
  }
}

TEST_F(OverlayOffsetsTest, ThePrintedCombinedGraphPlacesEveryTraceFromItsOwnUsersZero) {
  COtdrDoc& doc = *app_->m_pDocument;
  doc.m_PrintOptions.Layout = kLayoutCombined;
  COtdrDisplayView& view = TraceView();
  view.viewport()->repaint();
  const TraceViewState& state = view.State();
  // As the window shows the curves, and the whole trace drawn dotted (one dot per sample, so that
  // each reflection's peak is a dot of its own within the current trace's level span).
  ReportViewSnapshot windowed;
  windowed.grid = state.m_rcGrid;
  windowed.canvas = state.m_sizeScrollTotal;
  windowed.pixelsPerSample = state.m_dPixelsPerSample;
  windowed.pixelsPerDb = state.m_dPixelsPerDb;
  ReportViewSnapshot wholeDotted;
  wholeDotted.dotted = true;
  for (const ReportViewSnapshot& snapshot : {windowed, wholeDotted}) {
    SCOPED_TRACE(snapshot.dotted ? "the whole trace, dotted" : "as the window shows it");
    const std::string pdf = env_.dir().Path("combined.pdf");
    SingleTraceReport report(doc, app_->m_TraceList, {[snapshot] { return snapshot; }, {}, {}});
    PrintJobControl::Environment print;
    print.askPrint = lumivane::test::PrintToPdf(pdf);
    PrintJobControl control(doc, app_->m_TraceList, report, print);
    control.OnPrintCommand();
    const QImage page = lumivane::test::PdfPageRaster(pdf, 1, env_.dir().Path("page"));
    ASSERT_FALSE(page.isNull());
    // The graph box of the first page; each trace's colour told apart from its neighbours on paper.
    const QRect box(74, 230, 680, 360);
    std::vector<int> peaks;
    for (int position = 0; position < 2; ++position) {
      const QRgb colour = ColourOf(position);
      const auto near = [colour](QRgb p) {
        return std::abs(qRed(p) - qRed(colour)) < 40 && std::abs(qGreen(p) - qGreen(colour)) < 40 &&
               std::abs(qBlue(p) - qBlue(colour)) < 40;
      };
      const std::optional<int> x = snapshot.dotted ? TopColumn(page, box, near) : SpikeColumn(page, box, near);
      ASSERT_TRUE(x.has_value()) << position;
      peaks.push_back(*x);
    }
    // Both reflections lie 1.4477 km from their own zeros: one place on the axis, not 0.387 km apart.
    EXPECT_LE(std::abs(peaks[0] - peaks[1]), 2) << peaks[0] << " " << peaks[1];
  }
}

}  // namespace
