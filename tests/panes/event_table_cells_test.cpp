#include "panes/event_table_cells.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "event_doc_fixture.h"
#include "document/display_model_params.h"
#include "analysis/event_measurements.h"
#include "measure/pass_fail_check.h"
#include "measure/trace_reanalysis.h"

namespace {

using eventtest::MakeEventDoc;

class EventTableCellsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eventtest::ResetGlobals();
    doc->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 0};
  }

  // Replaces the document's rows with `rows`, the end row at `endRow`.
  void SetRows(std::initializer_list<EventRow> rows, int endRow) {
    int i = 0;
    for (const EventRow& row : rows) doc->m_EventRows[static_cast<std::size_t>(i++)] = row;
    doc->m_nEventCount = i;
    doc->m_nEndEventRow = endRow;
  }

  std::unique_ptr<COtdrDoc> doc = MakeEventDoc();
};

EventRow Row(int index, int type, float distance, float refl, float splice, float attn, float cum, float section,
             float toEnd, float sectionLoss, int origin = kOriginAnalysis) {
  return EventRow{index, type, origin, distance, refl, splice, attn, cum, section, toEnd, 0.0f, sectionLoss};
}

TEST_F(EventTableCellsTest, HeadingsCarryTheUnitInForce) {
  const auto km = EventColumnHeadings("km");
  const auto kft = EventColumnHeadings("kft");
  const std::array<const char*, kEventColumnCount> expectedKft{
      "No.", "Type", "Location[kft]", "Refl.[dB]", "Ins.Loss[dB]", "Attn.[dB/kft]", "Cum.Loss[dB]",
      "Dist.Prev.[kft]", "Dist.End[kft]", "Loss Prev.[dB]", "Comment"};
  const std::array<int, kEventColumnCount> widths{40, 60, 60, 70, 80, 100, 80, 95, 100, 100, 80};
  for (int c = 0; c < kEventColumnCount; ++c) {
    EXPECT_EQ(kft[static_cast<std::size_t>(c)].heading, expectedKft[static_cast<std::size_t>(c)]);
    EXPECT_EQ(km[static_cast<std::size_t>(c)].width, widths[static_cast<std::size_t>(c)]);
  }
  EXPECT_EQ(km[kColLocation].heading, "Location[km]");
  EXPECT_EQ(km[kColAttenuation].heading, "Attn.[dB/km]");
}

TEST_F(EventTableCellsTest, RowsShowTheirValuesAndMarkMissingOnes) {
  SetRows({Row(0, kEventLaunch, 0.0f, -50.0f, 0.2f, 0.0f, kMissingValue, 0.0f, 16.0f, 0.0f),
           Row(1, kEventReflective, 4.08f, -45.123f, 0.5f, 0.2f, 1.316f, 4.08f, 12.0f, 0.816f, kOriginUserAdded),
           Row(2, kEventNonReflective, 10.2f, -40.0f, 0.3f, 0.2f, 2.84f, 6.12f, 6.0f, kMissingValue, kOriginUserMoved),
           Row(3, kEventOutOfRange, 12.0f, kMissingValue, kMissingValue, kMissingValue, 0.00005f, 1.8f, 4.0f, 0.00005f),
           Row(4, kEventEnd, 16.3f, -30.0f, 0.7f, 0.21f, 4.5f, 4.3f, 0.0f, 0.9f),
           Row(5, 9, 20.0f, 0.0000005f, 0.0000005f, 0.00005f, 5.0f, 3.7f, 0.0f, 0.5f)},
          4);
  struct Case {
    int row;
    std::array<const char*, kEventColumnCount> texts;
  };
  const Case cases[] = {
      {0, {"1", "Start", "0.00000", "-50.000", "-.---", "-.---", "-.---", "-.---", "16.00000", "-.---", ""}},
      {1, {"2", "Refl.", "4.08000", "-45.123", "0.500", "0.200", "1.316", "4.08000", "12.00000", "0.816", "User add"}},
      {2, {"3", "NonRefl.", "10.20000", "-.---", "0.300", "0.200", "2.840", "6.12000", "6.00000", "-.---", "User modify"}},
      {3, {"4", "OverThre", "12.00000", "-.---", "-.---", "-.---", "-.---", "1.80000", "4.00000", "-.---", ""}},
      {4, {"5", "End", "16.30000", "-30.000", "-.---", "0.210", "4.500", "4.30000", "-.---", "0.900", ""}},
      {5, {"6", "NonRefl.", "20.00000", "-.---", "-.---", "-.---", "5.000", "3.70000", "0.00000", "0.500", ""}},
  };
  const EventTableView table = ComputeEventTable(*doc, 1.0);
  ASSERT_EQ(table.rows.size(), 6u);
  for (const Case& c : cases) {
    for (int col = 0; col < kEventColumnCount; ++col) {
      EXPECT_EQ(table.rows[static_cast<std::size_t>(c.row)].texts[static_cast<std::size_t>(col)], c.texts[static_cast<std::size_t>(col)])
          << "row " << c.row << " column " << col;
    }
  }
  EXPECT_FALSE(table.anyFailed);
}

// An engine's event at `sample` of the fixture, with the section values it measures.
AnalysisEvent EngineEvent(std::int32_t type, int sample, float loss, float reflectance, std::int32_t endFlag = 0) {
  AnalysisEvent e;
  e.type = type;
  e.position = static_cast<float>(sample * eventtest::kKmPerSample);
  e.loss = loss;
  e.reflectance = reflectance;
  e.endFlag = endFlag;
  e.attenuation = 0.82f;
  e.cumulativeLoss = sample == 0 ? kMissingValue : static_cast<float>(sample * 0.001);
  const int windows[kSorMarkerLocations] = {sample - 400, sample - 40, sample + 40, sample + 400, sample};
  for (int m = 0; m < kSorMarkerLocations; ++m) e.markers[m] = std::max(windows[m], 0);
  return e;
}

// Behind the end nothing is measured on backscatter: whatever a file or the engine holds there, the
// rows behind the End show no attenuation, cumulative loss or loss before them (and so does every
// page and the export, which print these cells), while the rows up to the End keep theirs.
TEST_F(EventTableCellsTest, RowsBehindTheEndShowNoMeasuredLoss) {
  const struct {
    const char* what;
    std::function<void(COtdrDoc&)> make;
  } cases[] = {
      {"as loaded from a file that stores rows behind its End",
       [](COtdrDoc& d) {
         eventtest::AddKeyEvent(d.m_SorRecord, 8600, u"1F9999", 427, -50000);
         eventtest::AddKeyEvent(d.m_SorRecord, 9200, u"0F9999", 300, 0);
         for (SorKeyEvent& event : d.m_SorRecord.KeyEvents.Events) event.Slope = 820;
         eventtest::Rebuild(d);
       }},
      {"reanalysed into reflections behind the end",
       [](COtdrDoc& d) {
         const std::vector<AnalysisEvent> found = {
             EngineEvent(kEventLaunch, 0, 0.0f, -50.0f), EngineEvent(kEventReflective, 2000, 0.5f, -45.0f),
             EngineEvent(kEventNonReflective, 5000, 0.3f, 0.0f), EngineEvent(kEventReflective, 8000, 0.0f, -30.0f, kEndFlag),
             EngineEvent(kEventReflective, 8600, 0.427f, -50.0f), EngineEvent(kEventNonReflective, 9200, 0.3f, 0.0f)};
         AnalysisSettings settings;
         settings.groupIndex = static_cast<float>(eventtest::kGroupIndexField / 100000.0);
         const AnalysisEngineFn engine = [&found](std::span<TracePoint>, std::span<AnalysisEvent> events, AnalysisParams&) {
           std::copy(found.begin(), found.end(), events.begin());
           return static_cast<int>(found.size());
         };
         ASSERT_EQ(ReanalyzeDocument(d, settings, engine), ReanalysisOutcome::Done);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::unique_ptr<COtdrDoc> d = MakeEventDoc();
    c.make(*d);
    ASSERT_EQ(d->m_nEventCount, 6);
    ASSERT_EQ(d->m_nEndEventRow, 3);
    const EventTableView table = ComputeEventTable(*d, 1.0);
    for (int row = 1; row < 6; ++row) {
      for (const int column : {kColAttenuation, kColCumulativeLoss, kColLossPrevious}) {
        const std::string& cell = table.rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
        if (row > 3) {
          EXPECT_EQ(cell, "-.---") << "row " << row << " column " << column;
        } else {
          EXPECT_NE(cell, "-.---") << "row " << row << " column " << column;
        }
      }
    }
    // The Marker Information pane reads a chosen row's cumulative loss by the same rule.
    EXPECT_EQ(GetEventLoss(4, kSorFileKind, d->m_SorRecord, d->m_nPointCount, d->m_DbSamples.Values, d->m_dFibreLengthKm),
              kMissingValue);
    // Judged by no limit: nothing is measured there to judge.
    d->m_PassFailThresholds.Judged = 1;
    d->m_PassFailThresholds.Enabled = {1, 1, 1, 1, 1, 1};
    d->m_PassFailThresholds.Set = {1, 1, 1, 1, 1, 1};
    d->m_PassFailThresholds.Limit = {1.0f, 1.0f, 20.0f, 1.0f, 30.0f, 20.0f};
    for (int row = 4; row < 6; ++row) {
      EXPECT_EQ(ComputeEventTable(*d, 1.0).rows[static_cast<std::size_t>(row)].failedColumns & (1u << kColAttenuation), 0u);
    }
  }
}

TEST_F(EventTableCellsTest, DistancesAndAttenuationFollowTheDisplayUnit) {
  SetRows({Row(0, kEventLaunch, 0.0f, 0.0f, 0.0f, 0.0f, kMissingValue, 0.0f, 1.0f, 0.0f),
           Row(1, kEventEnd, 1.0f, -40.0f, 0.0f, 0.35f, 0.35f, 1.0f, 0.0f, 0.35f)},
          1);
  const EventTableView table = ComputeEventTable(*doc, 3.280839895);
  EXPECT_EQ(table.rows[1].texts[kColLocation], "3.28084");
  EXPECT_EQ(table.rows[1].texts[kColDistancePrevious], "3.28084");
  EXPECT_EQ(table.rows[1].texts[kColAttenuation], "0.107");
  EXPECT_EQ(table.rows[0].texts[kColDistanceEnd], "3.28084");
}

TEST_F(EventTableCellsTest, StoredSlopeBlanksAttenuationOnlyForWholeNanometreFields) {
  SetRows({Row(0, kEventLaunch, 0.0f, 0.0f, 0.0f, 0.0f, kMissingValue, 0.0f, 1.0f, 0.0f),
           Row(1, kEventNonReflective, 1.0f, 0.0f, 0.2f, 0.35f, 0.35f, 1.0f, 0.0f, 0.35f)},
          999);
  doc->m_SorRecord.KeyEvents.Events[1].Slope = 0;
  struct Case {
    std::int16_t field;
    const char* text;
  };
  for (const Case& c : {Case{1550, "-.---"}, Case{1330, "-.---"}, Case{15500, "0.350"}, Case{1310, "0.350"}}) {
    doc->m_SorRecord.FxdParams.ActualWavelength = c.field;
    EXPECT_EQ(ComputeEventTable(*doc, 1.0).rows[1].texts[kColAttenuation], c.text) << c.field;
  }
}

TEST_F(EventTableCellsTest, SplitterIconNeedsModuleLossAndPlaceBeforeTheEnd) {
  struct Case {
    const char16_t* module;
    float loss;
    int row;
    int icon;
    int endRow = 2;
  };
  const Case cases[] = {
      {u"3061", 6.0f, 1, kIconSplitter},       {u" 3056-B", 6.0f, 1, kIconSplitter},
      {u"3058", 6.0f, 1, kIconReflective},     {u"3061", 5.0f, 1, kIconReflective},
      {u"3061", 6.0f, 3, kIconReflective},     {u"abc", 6.0f, 1, kIconReflective},
      // A trace without an end event: every row with a large loss qualifies.
      {u"3061", 6.0f, 3, kIconSplitter, kNoEndEventRow}, {u"3058", 6.0f, 3, kIconReflective, kNoEndEventRow},
  };
  for (const Case& c : cases) {
    SetRows({Row(0, kEventLaunch, 0.0f, 0.0f, 0.0f, 0.0f, kMissingValue, 0.0f, 3.0f, 0.0f),
             Row(1, kEventReflective, 1.0f, -40.0f, 0.0f, 0.2f, 0.2f, 1.0f, 2.0f, 0.2f),
             Row(2, kEventEnd, 2.0f, -30.0f, 0.5f, 0.2f, 0.4f, 1.0f, 0.0f, 0.2f),
             Row(3, kEventReflective, 3.0f, -40.0f, 0.0f, 0.2f, 0.6f, 1.0f, 0.0f, 0.2f)},
            c.endRow);
    doc->m_EventRows[static_cast<std::size_t>(c.row)].SpliceLoss = c.loss;
    std::fill(std::begin(doc->m_SorRecord.SupParams.OpticalModuleId), std::end(doc->m_SorRecord.SupParams.OpticalModuleId), u'\0');
    std::u16string_view module(c.module);
    std::copy(module.begin(), module.end(), doc->m_SorRecord.SupParams.OpticalModuleId);
    const EventTableView table = ComputeEventTable(*doc, 1.0);
    EXPECT_EQ(table.rows[static_cast<std::size_t>(c.row)].typeIcon, c.icon);
    EXPECT_EQ(table.rows[0].typeIcon, kIconStart);
    EXPECT_EQ(table.rows[2].typeIcon, kIconEnd);
  }
}

TEST_F(EventTableCellsTest, FailedValuesAreMarkedOnlyWhereJudged) {
  SetRows({Row(0, kEventLaunch, 0.0f, -20.0f, 0.0f, 0.0f, kMissingValue, 0.0f, 3.0f, 0.0f),
           Row(1, kEventReflective, 1.0f, -30.0f, 0.9f, 0.5f, 0.2f, 1.0f, 2.0f, 0.2f),
           Row(2, kEventNonReflective, 2.0f, -30.0f, 0.4f, 0.1f, 0.4f, 1.0f, 1.0f, 0.2f),
           Row(3, kEventEnd, 3.0f, -60.0f, 0.0f, 0.9f, 0.6f, 1.0f, 0.0f, 0.2f)},
          3);
  PassFailThresholds& limits = doc->m_PassFailThresholds;
  limits.Limit[kLimitSpliceLoss] = 0.3f;
  limits.Limit[kLimitConnectorLoss] = 0.75f;
  limits.Limit[kLimitReflectance] = -40.0f;
  limits.Limit[kLimitAttenuation] = 0.35f;
  limits.Enabled = {1, 1, 1, 1, 0, 0};
  EventTableView table = ComputeEventTable(*doc, 1.0);
  EXPECT_TRUE(table.anyFailed);
  EXPECT_EQ(table.rows[0].failedColumns, 0u) << "the launch always passes";
  EXPECT_TRUE(table.rows[1].Failed(kColReflectance));
  EXPECT_TRUE(table.rows[1].Failed(kColInsertionLoss)) << "connector limit for a reflective event";
  EXPECT_TRUE(table.rows[1].Failed(kColAttenuation));
  EXPECT_FALSE(table.rows[2].Failed(kColReflectance)) << "a non-reflective event is never judged on reflectance";
  EXPECT_TRUE(table.rows[2].Failed(kColInsertionLoss));
  EXPECT_FALSE(table.rows[2].Failed(kColAttenuation));
  EXPECT_FALSE(table.rows[3].Failed(kColAttenuation)) << "an end event's attenuation passes";
  EXPECT_FALSE(table.rows[3].Failed(kColReflectance));

  limits.Enabled = {0, 1, 0, 0, 0, 0};
  table = ComputeEventTable(*doc, 1.0);
  EXPECT_FALSE(table.rows[2].Failed(kColInsertionLoss)) << "splice flag off";

  limits.Enabled = {0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(ComputeEventTable(*doc, 1.0).anyFailed);
}

TEST_F(EventTableCellsTest, EmptyDocumentGivesNoRows) {
  doc->m_nEventCount = 0;
  const EventTableView table = ComputeEventTable(*doc, 1.0);
  EXPECT_TRUE(table.rows.empty());
  EXPECT_FALSE(table.anyFailed);
}

TEST(LeadingNumber, ReadsLeadingDigitsLikeTheRuntime) {
  struct Case {
    std::u16string_view text;
    long value;
  };
  for (const Case& c : {Case{u"3061", 3061}, Case{u"  3057xyz", 3057}, Case{u"-12", -12}, Case{u"+7", 7},
                        Case{u"", 0}, Case{u"abc", 0}, Case{u"99999999999999999999999", 999999999999999999}}) {
    EXPECT_EQ(LeadingNumber(c.text), c.value);
  }
}

}  // namespace
