// Trace Reanalysis of every sample file with its own settings, judged by what the trace shows: the
// clear non-reflective events the instrument stored are found again, the end lies where the stored
// end lies, and nothing is listed where the trace shows neither a step nor a peak.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/event_list_helpers.h"
#include "analysis_state.h"
#include "document/display_model.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
#include "platform/path_util.h"
#include "recording_message_sink.h"
#include "sample_files.h"
#include "trace/least_squares.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::SampleSorFiles;

// What a technician calls a clear event: a step of 0.25 dB or more, 20 m or more from any other.
constexpr double kClearStepDb = 0.25;
constexpr double kClearSpacingKm = 0.020;
constexpr double kFoundLossToleranceDb = 0.1;
// A step is found again within its own transition: a pulse length, and never less than 5 m, over
// which short pulses and the receiver spread it.
constexpr double kMinFoundReachKm = 0.005;
// What the trace must show where an event is listed: a step or a peak of this size, the lines
// fitted over 40 m on either side of it.
constexpr double kShownStepDb = 0.05;
constexpr double kShownPeakDb = 0.3;
constexpr double kFitReachKm = 0.040;
constexpr double kMinToleranceKm = 0.002;

struct ListedEvent {
  int type = 0;
  int sample = 0;
  double km = 0.0;
  float loss = 0.0f;
};

// The trace as the engine reads it, and where its events lie in it.
struct Trace {
  std::vector<double> levels;
  double spacingKm = 0.0;
  int pulseSamples = 1;

  double Level(int i) const { return levels[static_cast<std::size_t>(std::clamp(i, 0, Count() - 1))]; }
  int Count() const { return static_cast<int>(levels.size()); }
  int Samples(double km) const { return std::max(1, static_cast<int>(std::lround(km / spacingKm))); }

  // Level at `at` of the line fitted over [first, last].
  double LineAt(int first, int last, int at) const {
    first = std::clamp(first, 0, Count() - 1);
    last = std::clamp(last, 0, Count() - 1);
    if (last - first < 2) return Level(at);
    return LeastSquaresValueAt(first, last, at, Count(), levels);
  }

  // A step between the lines on either side of `k` (clear of the pulse and of the neighbouring
  // events `previous` and `next`), or a peak above the line in front of it within the pulse and its fall.
  bool ShowsEvent(int k, int previous, int next) const {
    const int guard = 2 * pulseSamples + 2;
    const int reach = std::max(Samples(kFitReachKm), 2 * pulseSamples);
    const double before = LineAt(std::max(k - guard - reach, previous + guard), k - guard, k);
    const double after = LineAt(k + guard, std::min(k + guard + reach, next - guard), k);
    if (std::fabs(before - after) >= kShownStepDb) return true;
    double highest = -1e9;
    for (int i = k - pulseSamples; i <= k + 3 * pulseSamples + 2; ++i) highest = std::max(highest, Level(i));
    return highest - before >= kShownPeakDb;
  }
};

// The samples of the events nearest `k` on either side, among the stored and the found ones.
// Events within `apart` samples of `k` are the same event in the other list.
std::pair<int, int> Neighbours(int k, int apart, const std::vector<ListedEvent>& a, const std::vector<ListedEvent>& b) {
  int previous = -1'000'000, next = 1'000'000'000;
  for (const auto* list : {&a, &b}) {
    for (const ListedEvent& e : *list) {
      if (e.sample < k - apart) previous = std::max(previous, e.sample);
      if (e.sample > k + apart) next = std::min(next, e.sample);
    }
  }
  return {previous, next};
}

Trace TraceOf(const COtdrDoc& doc) {
  const SorRecord& record = doc.m_SorRecord;
  const SorTraceData& first = record.DataPts.Traces[0];
  Trace t;
  const int m = std::min<int>(StoredPointCount(first), doc.m_nPointCount);
  for (int i = 0; i < m; ++i) t.levels.push_back(-SampleToDb(first.Samples[i], first.ScaleFactor));
  t.spacingKm = doc.m_dFibreLengthKm / std::max(1, doc.m_nPointCount - 1);
  t.pulseSamples = std::max(1, static_cast<int>(doc.m_FibreParams.PulseWidth / 10000.0 / t.spacingKm));
  return t;
}

std::vector<ListedEvent> ListedEvents(const COtdrDoc& doc) {
  std::vector<ListedEvent> events;
  for (int i = 0; i < std::clamp(doc.m_nEventCount, 0, kMaxEventRows); ++i) {
    const EventRow& row = doc.m_EventRows[static_cast<std::size_t>(i)];
    const SorKeyEvent& key = doc.m_SorRecord.KeyEvents.Events[static_cast<std::size_t>(i)];
    events.push_back({row.Type, TimeToIndex(key.TimeOfFlight, doc.m_SorRecord), row.Distance, row.SpliceLoss});
  }
  return events;
}

bool Clear(const std::vector<ListedEvent>& stored, const ListedEvent& e) {
  if (e.type != kEventNonReflective || std::fabs(e.loss) < kClearStepDb) return false;
  return std::none_of(stored.begin(), stored.end(), [&](const ListedEvent& other) {
    return &other != &e && std::fabs(other.km - e.km) < kClearSpacingKm;
  });
}

const ListedEvent* EndOf(const std::vector<ListedEvent>& events) {
  const auto end = std::find_if(events.begin(), events.end(), [](const ListedEvent& e) { return e.type == kEventEnd; });
  return end == events.end() ? nullptr : &*end;
}

struct Reanalysed {
  std::vector<ListedEvent> stored;
  std::vector<ListedEvent> found;
  Trace trace;
  double pulseKm = 0.0;
  double toleranceKm = 0.0;  // for the end: a pulse length, at least 2 m
};

Reanalysed Reanalyse(const std::string& name) {
  lumivane::test::ResetAnalysisState();
  auto doc = std::make_unique<COtdrDoc>();
  Reanalysed r;
  const std::string path = lumivane::JoinPath(lumivane::test::SampleDir(), name);
  EXPECT_EQ(doc->OpenTraceFile(path, kSorFileKind, doc->m_SorRecord), 1);
  const DisplayModelInputs inputs{.distanceCorrection = doc->m_SorRecord.UserName.DistanceCorrection};
  LoadDisplayModel(kSorFileKind, doc->m_SorRecord, inputs, doc->DisplayModelMembers());
  r.stored = ListedEvents(*doc);
  EXPECT_EQ(ReanalyzeDocument(*doc, PrefillAnalysisSettings(doc->m_FibreParams)), ReanalysisOutcome::Done);
  r.found = ListedEvents(*doc);
  r.trace = TraceOf(*doc);
  r.pulseKm = doc->m_FibreParams.PulseWidth / 10000.0;
  r.toleranceKm = std::max(r.pulseKm, kMinToleranceKm);
  return r;
}

class StoredEventsInterop : public testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
  }

  lumivane::test::RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_{sink_};
};

TEST_F(StoredEventsInterop, ReanalysisFindsTheClearStepsTheEndAndNothingTheTraceDoesNotShow) {
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const Reanalysed r = Reanalyse(file.name);
    int clear = 0, foundAgain = 0, unshown = 0;
    for (const ListedEvent& s : r.stored) {
      // The reanalysis starts at the user's zero: a step in front of it lies outside what it analyses.
      if (!Clear(r.stored, s) || s.km < 0.0) continue;
      ++clear;
      const bool found = std::any_of(r.found.begin(), r.found.end(), [&](const ListedEvent& f) {
        return std::fabs(f.km - s.km) <= std::max(r.pulseKm, kMinFoundReachKm) &&
               std::fabs(f.loss - s.loss) <= kFoundLossToleranceDb;
      });
      foundAgain += found ? 1 : 0;
      EXPECT_TRUE(found) << "stored step of " << s.loss << " dB at " << s.km << " km";
    }
    // Every reanalysis ends the fibre; where the file stores an End, at that End (a file may store
    // none: its last event is then a reflection like any other).
    const ListedEvent* storedEnd = EndOf(r.stored);
    const ListedEvent* end = EndOf(r.found);
    ASSERT_NE(end, nullptr);
    if (storedEnd != nullptr) {
      EXPECT_NEAR(end->km, storedEnd->km, r.toleranceKm);
    }
    for (std::size_t i = 1; i < r.found.size(); ++i) {
      const ListedEvent& f = r.found[i];
      const auto [previous, next] = Neighbours(f.sample, r.trace.Samples(std::max(r.pulseKm, kMinFoundReachKm)), r.stored, r.found);
      const bool shown = r.trace.ShowsEvent(f.sample, previous, next);
      unshown += shown ? 0 : 1;
      EXPECT_TRUE(shown) << "event " << i << " at " << f.km << " km, where the trace shows neither a step nor a peak";
    }
    std::cout << file.name << ": " << foundAgain << " of " << clear << " clear stored steps found again, end "
              << end->km << " km (stored " << (storedEnd != nullptr ? std::to_string(storedEnd->km) + " km" : "none")
              << "), " << unshown << " of " << r.found.size() - 1
              << " events not shown by the trace\n";
    for (const ListedEvent& f : r.found) {
      std::cout << "  type " << f.type << " at " << f.km << " km (sample " << f.sample << "), loss " << f.loss << "\n";
    }
  }
}

}  // namespace
