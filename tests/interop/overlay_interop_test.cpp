// Every sample file overlaid in the running program with a copy of itself whose user's zero lies
// 547 m later (each stored time moved back as far, so every event still names its sample): the
// copy's distances are 0.547 km shorter, so on the shared distance axis the file's own curve stands
// 0.547 km to the right of the copy's.
#include <QApplication>
#include <QImage>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>
#include <string>

#include "app/ui/app_test_env.h"
#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "sample_files.h"
#include "sor/sor_reader.h"
#include "sor/sor_writer.h"
#include "trace/trace_conversions.h"
#include "traceview/ui/otdr_display_view.h"

namespace {

constexpr float kLaterZeroKm = 0.547f;

// The file of `bytes` with its user's zero `km` later and its stored times moved back as far.
void WriteWithLaterZero(const std::vector<std::uint8_t>& bytes, float km, const std::string& path) {
  auto record = std::make_unique<SorRecord>();
  ASSERT_EQ(ReadSorImage(bytes, *record), SorReadResult::kOk);
  const std::int32_t shift = DistanceToFileTime(km, *record);
  record->GenParams.UserOffset += shift;
  SorKeyEvents& keys = record->KeyEvents;
  for (int i = 0; i < StoredKeyEventCount(keys); ++i) {
    SorKeyEvent& event = keys.Events[static_cast<std::size_t>(i)];
    event.TimeOfFlight -= shift;
    // A location of 0 is one the instrument did not store.
    for (std::int32_t& location : event.MarkerLocations) location = location == 0 ? 0 : location - shift;
  }
  keys.EndToEndMarker1 -= shift;
  keys.EndToEndMarker2 -= shift;
  ASSERT_EQ(WriteSorFile(*record, path), SorWriteResult::kOk);
}

// Per column, the row of the highest pixel of a colour (-1 where it has none).
std::vector<int> TopRows(const QImage& image, QRgb colour) {
  std::vector<int> rows(static_cast<std::size_t>(image.width()), -1);
  for (int x = 0; x < image.width(); ++x) {
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixel(x, y) == colour) {
        rows[static_cast<std::size_t>(x)] = y;
        break;
      }
    }
  }
  return rows;
}

// How far right of `copy` the curve `own` stands: the shift under which the most columns of the two
// outlines meet (the curve drawn over the other hides a little of it, so not every column does).
int ShiftBetween(const std::vector<int>& own, const std::vector<int>& copy) {
  int best = 0;
  int bestMatches = -1;
  const int width = static_cast<int>(own.size());
  for (int shift = -width / 2; shift <= width / 2; ++shift) {
    int matches = 0;
    for (int x = std::max(0, shift); x < std::min(width, width + shift); ++x) {
      const int a = own[static_cast<std::size_t>(x)];
      const int b = copy[static_cast<std::size_t>(x - shift)];
      matches += a >= 0 && b >= 0 && std::abs(a - b) <= 1 ? 1 : 0;
    }
    if (matches > bestMatches) {
      bestMatches = matches;
      best = shift;
    }
  }
  return best;
}

TEST(OverlayInterop, EveryFileStandsAtItsOwnDistancesBesideACopyWithALaterZero) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : lumivane::test::SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    lumivane::test::AppTestEnv env;
    const std::string original = env.dir().WriteFile("original.sor", std::string_view(
        reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    const std::string later = env.dir().Path("later-zero.sor");
    WriteWithLaterZero(file.bytes, kLaterZeroKm, later);
    COtdrApp* app = env.Start();
    ASSERT_NE(app, nullptr);
    std::string chosen;
    app->SetFileChooser([&chosen](FileChoice) { return std::optional<std::string>(chosen); });
    for (const std::string& path : {original, later}) {
      chosen = path;
      app->OnAddTrace();
    }
    ASSERT_EQ(app->m_TraceList.size(), 2u);
    QApplication::setActiveWindow(app->MainFrame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(app->MainFrame()));
    auto& view = *qobject_cast<COtdrDisplayView*>(app->PaneFrame(PaneKind::Trace)->widget());
    view.viewport()->repaint();
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();

    const COtdrDoc& doc = *app->m_pDocument;
    ASSERT_EQ(doc.m_strTracePath, later);
    const auto colourOf = [&](std::size_t position) {
      const TraceColour& c = TraceColourAt(doc.m_TraceColours, app->m_TraceList[position]->m_nColourIndex);
      return qRgb(c.Red, c.Green, c.Blue);
    };
    // The same samples drawn twice, one outline moved along the other.
    const QImage& picture = view.CachedBackground();
    const std::vector<int> own = TopRows(picture, colourOf(0));
    ASSERT_GT(std::count_if(own.begin(), own.end(), [](int row) { return row >= 0; }), picture.width() / 4)
        << "the file's own curve lies hidden under the copy's";
    const int shift = ShiftBetween(own, TopRows(picture, colourOf(1)));
    const double kmPerSample = doc.m_dFibreLengthKm / (doc.m_SorRecord.DataPts.Traces[0].PointCount - 1);
    const double expected = kLaterZeroKm / kmPerSample * view.State().m_dPixelsPerSample;
    EXPECT_NEAR(shift, expected, 1.5) << "the copy's zero is " << kLaterZeroKm << " km later";
  }
}

}  // namespace
