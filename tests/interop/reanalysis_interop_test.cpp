// Trace Reanalysis of every sample file with the file's own settings, beside the events the
// instrument stored: how many of them the engine finds again, and no result a technician would reject.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
#include "vocabulary/text_table.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "trace/trace_conversions.h"
#include "document/otdr_doc.h"
#include "panes/event_table_cells.h"
#include "platform/path_util.h"
#include "shown_trace.h"
#include "sample_files.h"
#include "document/display_state.h"
#include "analysis_state.h"

namespace {

using lumivane::test::SampleSorFiles;

constexpr double kLossTolerance = 0.1;

std::vector<EventRow> Rows(const COtdrDoc& doc) {
  const int count = std::clamp(doc.m_nEventCount, 0, kMaxEventRows);
  return {doc.m_EventRows.begin(), doc.m_EventRows.begin() + count};
}

// The dialog opens on the file's own settings wherever the file holds one the dialog accepts.
void ExpectFileSettings(const AnalysisSettings& s, const FibreParamsRecord& f) {
  EXPECT_EQ(s.wavelengthIndex, NearestAnalysisWavelength(f.Wavelength));
  EXPECT_FLOAT_EQ(s.groupIndex, f.GroupIndex);
  if (CheckAnalysisValue(AnalysisField::ScatterCoef, f.Backscatter).accepted) {
    EXPECT_FLOAT_EQ(s.scatterCoef, f.Backscatter);
  }
  if (f.LossThreshold != 0.0f) {
    EXPECT_FLOAT_EQ(s.nonReflThreshold, std::fabs(f.LossThreshold));
  }
  if (f.ReflectanceThreshold != 0.0f) {
    EXPECT_FLOAT_EQ(s.reflThreshold, -std::fabs(f.ReflectanceThreshold));
  }
  if (f.EndThreshold != 0.0f) {
    EXPECT_FLOAT_EQ(s.endThreshold, std::fabs(f.EndThreshold));
  }
}

// How far apart (km) two places of one event may lie: a pulse length (the pulse width in ns over
// 10,000), and at least 2 m, since instruments place an event to a few samples of their own.
double PlaceTolerance(const FibreParamsRecord& fibre) { return std::max(fibre.PulseWidth / 10000.0, 0.002); }

// Stored events found again within the place tolerance with a loss within 0.1 dB.
int MatchedEvents(const std::vector<EventRow>& stored, const std::vector<EventRow>& found, double toleranceKm) {
  int matched = 0;
  for (const EventRow& s : stored) {
    const bool hit = std::any_of(found.begin(), found.end(), [&](const EventRow& f) {
      const bool lossKnown = s.SpliceLoss != kMissingValue && f.SpliceLoss != kMissingValue;
      return std::fabs(f.Distance - s.Distance) <= toleranceKm &&
             (s.Type == kEventLaunch || s.Type == kEventEnd || !lossKnown ||
              std::fabs(f.SpliceLoss - s.SpliceLoss) <= kLossTolerance);
    });
    if (hit) ++matched;
  }
  return matched;
}

class ReanalysisInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
  }

  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped{sink};
};

TEST_F(ReanalysisInterop, EveryFileReanalysesIntoEventsATechnicianWouldAccept) {
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    lumivane::test::ResetAnalysisState();
    auto doc = std::make_unique<COtdrDoc>();
    const std::string path = lumivane::JoinPath(lumivane::test::SampleDir(), file.name);
    ASSERT_EQ(doc->OpenTraceFile(path, kSorFileKind, doc->m_SorRecord), 1);
    const DisplayModelInputs inputs{.distanceCorrection = doc->m_SorRecord.UserName.DistanceCorrection};
    LoadDisplayModel(kSorFileKind, doc->m_SorRecord, inputs, doc->DisplayModelMembers());
    ApplyStoredLossTotals(doc->m_SorRecord, doc->m_EventRows, doc->m_nEventCount);
    const std::vector<EventRow> stored = Rows(*doc);
    const AnalysisSettings settings = PrefillAnalysisSettings(doc->m_FibreParams);
    ExpectFileSettings(settings, doc->m_FibreParams);
    const int storedEnd = doc->m_nEndEventRow;
    ASSERT_EQ(ReanalyzeDocument(*doc, settings), ReanalysisOutcome::Done);
    const std::vector<EventRow> found = Rows(*doc);
    const double toleranceKm = PlaceTolerance(doc->m_FibreParams);
    std::cout << file.name << ": " << MatchedEvents(stored, found, toleranceKm) << " of " << stored.size()
              << " stored events found again; " << found.size() << " events in the reanalysis\n";
    for (const EventRow& row : stored) {
      std::cout << "  stored " << row.Index << " type " << row.Type << " at " << row.Distance << " km, loss "
                << row.SpliceLoss << " dB, reflectance " << row.Reflectance << " dB\n";
    }
    for (const EventRow& row : found) {
      std::cout << "  " << row.Index << " type " << row.Type << " at " << row.Distance << " km, loss " << row.SpliceLoss
                << " dB, reflectance " << row.Reflectance << " dB, to end " << row.DistanceToEnd << " km\n";
    }

    ASSERT_FALSE(found.empty());
    EXPECT_NE(found.front().Type, kEventEnd) << "the launch is marked as the end";
    const int end = doc->m_nEndEventRow;
    // The Start at the user's zero, whatever the file stores first (some files store no Start row,
    // their first event a connector further in).
    EXPECT_EQ(found.front().Type, kEventLaunch);
    EXPECT_NEAR(found.front().Distance, 0.0, toleranceKm);
    // The end at the stored end, where the file stores one; the link is measured from the user's
    // zero to it (some files measure theirs from the front panel).
    if (storedEnd != kNoEndEventRow) {
      ASSERT_LT(end, static_cast<int>(found.size())) << "a stored end is found again";
      const float storedEndKm = stored[static_cast<std::size_t>(storedEnd)].Distance;
      EXPECT_NEAR(found[static_cast<std::size_t>(end)].Distance, storedEndKm, toleranceKm);
      EXPECT_NEAR(doc->m_LinkSummary.LinkLength, storedEndKm, toleranceKm);
    }
    // Behind the end nothing is measured on backscatter: no loss the end threshold would call an
    // end, and no attenuation, cumulative loss or loss before the row.
    const EventTableView table = ComputeEventTable(*doc, 1.0);
    for (std::size_t i = static_cast<std::size_t>(end) + 1; i < found.size(); ++i) {
      const float loss = found[i].SpliceLoss;
      EXPECT_TRUE(loss == kMissingValue || std::fabs(loss) <= settings.endThreshold) << i << ": " << loss;
      for (const int column : {kColAttenuation, kColCumulativeLoss, kColLossPrevious}) {
        EXPECT_EQ(table.rows[i].texts[static_cast<std::size_t>(column)], "-.---") << i << " column " << column;
      }
    }
    for (const EventRow& row : found) {
      SCOPED_TRACE(row.Index);
      const bool reflectionShown = row.Type != kEventNonReflective && row.Reflectance != kMissingValue &&
                                   std::fabs(row.Reflectance) >= 1e-6f;
      if (reflectionShown) {
        EXPECT_LT(row.Reflectance, 0.0f);
      }
      if (end < static_cast<int>(found.size())) {
        EXPECT_NEAR(row.DistanceToEnd, std::fabs(found[static_cast<std::size_t>(end)].Distance - row.Distance), 1e-4f);
      }
    }
  }
}

// A reanalysis with a reflection threshold of -56 dB and another group index, saved under a new name,
// opens again as it was shown: every threshold and the group index as chosen, the distances as shown
// (they agree with the group index stored), and a second save changes no byte.
TEST_F(ReanalysisInterop, SaveAsKeepsTheReanalysisAsShown) {
  lumivane::test::TempDir dir;
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    ResetDisplayState();
    ResetAnalysisWavelengthTables();
    auto doc = std::make_unique<COtdrDoc>();
    ASSERT_EQ(lumivane::test::OpenShown(*doc, dir.WriteFile("file.sor", file.bytes), sink), std::vector<std::string>{});
    AnalysisSettings settings = PrefillAnalysisSettings(doc->m_FibreParams);
    settings.reflThreshold = -56.0f;
    settings.groupIndex += 0.01f;
    ASSERT_EQ(ReanalyzeDocument(*doc, settings), ReanalysisOutcome::Done);
    const FibreParamsRecord shown = doc->m_FibreParams;
    const std::vector<EventRow> rows = Rows(*doc);

    const std::string copy = dir.Path("copy.sor");
    SaveEnvironment env;
    env.chooseSaveAsPath = [&] { return std::optional<SaveAsChoice>(SaveAsChoice{copy, false}); };
    ASSERT_TRUE(OnFileSaveAs(*doc, env));
    auto reopened = std::make_unique<COtdrDoc>();
    ASSERT_EQ(lumivane::test::OpenShown(*reopened, copy, sink), std::vector<std::string>{});
    const FibreParamsRecord& kept = reopened->m_FibreParams;
    EXPECT_FLOAT_EQ(kept.ReflectanceThreshold, 56.0f);
    EXPECT_FLOAT_EQ(kept.ReflectanceThreshold, std::fabs(shown.ReflectanceThreshold));
    EXPECT_FLOAT_EQ(kept.LossThreshold, shown.LossThreshold);
    EXPECT_FLOAT_EQ(kept.EndThreshold, shown.EndThreshold);
    EXPECT_FLOAT_EQ(kept.GroupIndex, shown.GroupIndex);
    EXPECT_NEAR(kept.Backscatter, shown.Backscatter, 0.05f);
    EXPECT_FLOAT_EQ(kept.Range, shown.Range);
    EXPECT_EQ(reopened->m_dAcquisitionRangeKm, doc->m_dAcquisitionRangeKm);
    EXPECT_EQ(reopened->m_LinkSummary.TraceLength, doc->m_LinkSummary.TraceLength);
    const std::vector<EventRow> reread = Rows(*reopened);
    ASSERT_EQ(reread.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_NEAR(reread[i].Distance, rows[i].Distance, 2e-5f) << i;

    const std::vector<std::uint8_t> first = lumivane::test::TempDir::ReadFile(copy);
    ASSERT_TRUE(OnFileSave(*reopened, env));
    EXPECT_EQ(lumivane::test::TempDir::ReadFile(copy), first);
  }
}

// The 50 km sample's 0.149 dB splice at 38.047 km, a step of 0.148 dB over 0.002 dB of noise: the
// file stores no loss threshold, so the dialog opens on its default and leaves it out by rule; at a
// threshold of 0.1 dB it is listed where the file has it, with its loss.
TEST_F(ReanalysisInterop, ASmallSpliceFarOutShowsAtALowerThreshold) {
  constexpr double kSpliceKm = 38.047;
  constexpr double kSpliceLossDb = 0.149;
  constexpr double kLossToleranceDb = 0.05;
  const auto& files = SampleSorFiles();
  const auto file = std::find_if(files.begin(), files.end(), [](const auto& f) { return f.name == "demo_ab.sor"; });
  if (file == files.end()) GTEST_SKIP() << "demo_ab.sor not in the sample folder";
  lumivane::test::TempDir dir;
  ResetDisplayState();
  ResetAnalysisWavelengthTables();
  auto doc = std::make_unique<COtdrDoc>();
  ASSERT_EQ(lumivane::test::OpenShown(*doc, dir.WriteFile("file.sor", file->bytes), sink), std::vector<std::string>{});
  AnalysisSettings settings = PrefillAnalysisSettings(doc->m_FibreParams);
  settings.nonReflThreshold = 0.1f;
  ASSERT_EQ(ReanalyzeDocument(*doc, settings), ReanalysisOutcome::Done);
  const std::vector<EventRow> rows = Rows(*doc);
  const double toleranceKm = PlaceTolerance(doc->m_FibreParams);
  const auto splice = std::find_if(rows.begin(), rows.end(), [&](const EventRow& r) {
    return r.Type == kEventNonReflective && std::fabs(r.Distance - kSpliceKm) <= toleranceKm;
  });
  ASSERT_NE(splice, rows.end());
  EXPECT_NEAR(splice->SpliceLoss, kSpliceLossDb, kLossToleranceDb);
}

}  // namespace
