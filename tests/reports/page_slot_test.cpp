#include "reports/page_slot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "measure/pass_fail_check.h"
#include "panes/event_table_cells.h"
#include "sor/sor_text.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

// A hand-built trace of ten samples (0.1 dB apart) over 9 km, with two key
// events.
class PageSlotTest : public ::testing::Test {
 protected:
  PageSlotTest() : record_(std::make_unique<SorRecord>()) {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetLengthUnit();
    SorTraceData& trace = record_->DataPts.Traces[0];
    trace.ScaleFactor = 1000;
    trace.Samples.resize(10);
    for (int i = 0; i < 10; ++i) {
      trace.Samples[i] = static_cast<std::uint16_t>(1000 + 100 * i);
      samples_[static_cast<std::size_t>(i)] = 1.0 + 0.1 * i;
    }
    record_->KeyEvents.KeyEventCount = 2;
    record_->KeyEvents.Events.resize(2);
    record_->KeyEvents.Events[1].SpliceLoss = 345;
    link_ = LinkSummaryRecord{9.0f, 8.0f, 2.5f, 33.25f, 0.3125f};
  }

  // The trace as the report reads it, the Marker Information pane's readings of it given.
  ReportTraceSet Set(int a, int b, const std::array<std::string, kMarkerReadingCount>& readings) const {
    ReportTraceSet set{*record_, time_, fibre_, link_, {}};
    set.pointCount = 10;
    set.markerA = a;
    set.markerB = b;
    set.linkOrl = link_.LinkOrl;
    set.marker.texts = readings;
    set.marker.labels[kReadingCumulativeLoss] = "Cum.Loss to A";
    return set;
  }

  std::unique_ptr<SorRecord> record_;
  std::array<double, 10> samples_{};
  LinkSummaryRecord link_{};
  TraceDateTime time_{};
  FibreParamsRecord fibre_{};
  PageSlot slot_;
};

TEST_F(PageSlotTest, HeaderLinesComeFromTheRecordAndCutLongTexts) {
  SorGenParams& gen = record_->GenParams;
  SetSorText(gen.CableId, std::string_view("CAB-1"));
  SetSorText(gen.Operator, std::string(120, 'x'));
  SetSorText(gen.OriginatingLocation, std::string_view("Site \xC4"));
  gen.FiberType = 651;
  record_->FxdParams.GroupIndex = 146800;
  record_->FxdParams.AcquisitionRange = 400000;
  SetSorText(record_->NorvalexParams.JobID, std::string_view("JOB-9"));
  const FibreParamsRecord fibre{8.17f, 1000, 1550, 1.468f, -79.4f, 0, 0, 0, 0};
  const TraceDateTime time{5, 4, 3, 2, 1, 2024};

  EXPECT_EQ(FillPageSlotInfo(slot_, *record_, fibre, time, "c:\\data\\a.sor"), "a.sor");
  EXPECT_EQ(slot_.Used, 1);
  EXPECT_EQ(slot_.InfoText[0], "File : a.sor");
  EXPECT_EQ(slot_.InfoText[1], "Cable ID : CAB-1");
  EXPECT_EQ(slot_.InfoText[3], "Operator : " + std::string(100, 'x'));
  EXPECT_EQ(slot_.InfoText[4], "Measure Date : 01-02-2024   03:04:05");
  EXPECT_EQ(slot_.InfoText[5], "Orig.Location : Site \xC3\x84");
  EXPECT_EQ(slot_.InfoText[7], "Fiber Type : Multi-Mode Fiber");
  EXPECT_EQ(slot_.InfoText[8], "Range :    8.2 km");
  EXPECT_EQ(slot_.InfoText[9], "PulseWidth :   1000 ns");
  EXPECT_EQ(slot_.InfoText[10], "Wavelength :   1550 nm");
  EXPECT_EQ(slot_.InfoText[11], "IOR :   1.46800");
  EXPECT_EQ(slot_.InfoText[12], "Scatter Coef. : -79.40 dB");
  EXPECT_EQ(slot_.InfoText[23], "JobID : JOB-9");
  EXPECT_EQ(slot_.InfoText[24], "Customer : ");
}

TEST_F(PageSlotTest, UnknownFibreTypeAndAutoRangeShowNoStaleText) {
  const TraceDateTime time{};
  record_->GenParams.FiberType = 651;
  FillPageSlotInfo(slot_, *record_, FibreParamsRecord{}, time, "x.sor");
  record_->GenParams.FiberType = 654;
  FillPageSlotInfo(slot_, *record_, FibreParamsRecord{}, time, "x.sor");
  EXPECT_EQ(slot_.InfoText[7], "Fiber Type : ");
  EXPECT_EQ(slot_.InfoText[8], "Range : Auto");
}

TEST(SlotFileNameTest, TakesTheTextAfterTheLastSeparator) {
  const struct {
    std::string_view path;
    std::string_view name;
  } cases[] = {
      {"c:\\data\\a.sor", "a.sor"},
      {"/home/t/b.sor", "b.sor"},
      {"a.sor", "a.sor"},
      {"\\a.sor", "\\a.sor"},
  };
  for (const auto& c : cases) EXPECT_EQ(SlotFileName(c.path), c.name) << c.path;
}

// The pane's readings as it aligns them in its column: distance, 2-point loss, 2-point and LSA
// attenuation, insertion loss, reflectance, cumulative loss.
const std::array<std::string, kMarkerReadingCount> kPaneReadings{
    "16.94589 km", " -5.764 dB", " -0.340 dB/km", "  0.369 dB/km", " 11.154 dB", "-66.492 dB", "  6.351 dB"};

TEST_F(PageSlotTest, MarkerLinesPrintThePanesReadingsWithItsLabel) {
  ReportTraceSet set = Set(2, 6, kPaneReadings);
  FormatCellMeasurements(slot_, set);
  EXPECT_EQ(slot_.InfoText[14], "Cum.Loss to A: 6.351 dB");
  EXPECT_EQ(slot_.InfoText[15], "A-B: 16.94589 km");
  EXPECT_EQ(slot_.InfoText[16], "2pt. Loss: -5.764 dB");
  EXPECT_EQ(slot_.InfoText[17], "2pt. Attenuation: -0.340 dB/km");
  EXPECT_EQ(slot_.InfoText[21], "LSA-Attenuation: 0.369 dB/km");
  EXPECT_EQ(slot_.InfoText[18], "Total Length:8.00000 km");
  EXPECT_EQ(slot_.InfoText[19], "Total Loss:2.500 dB");
  EXPECT_EQ(slot_.InfoText[20], "Total Attn.:0.313 dB/km");
  EXPECT_EQ(slot_.InfoText[22], "Total ORL:33.250 dB");
  EXPECT_EQ(slot_.CellMarkerA, 2);
  EXPECT_EQ(slot_.CellMarkerB, 6);

  // A reading the pane shows missing prints missing; markers outside the trace stand at its ends.
  ReportTraceSet outside = Set(-3, 40, kPaneReadings);
  outside.marker.texts[kReadingCumulativeLoss] = "  --.--- dB";
  outside.marker.labels[kReadingCumulativeLoss] = "Cum.Loss to B";
  outside.activeMarker = 1;
  FormatCellMeasurements(slot_, outside);
  EXPECT_EQ(slot_.InfoText[14], "Cum.Loss to B: --.--- dB");
  EXPECT_EQ(slot_.CellMarkerA, 0);
  EXPECT_EQ(slot_.CellMarkerB, 9);
}

TEST_F(PageSlotTest, NoLinkGivesPlaceholdersInTheDisplayUnit) {
  link_.LinkLength = 0.0f;
  SetLengthUnit("kft");
  FormatCellMeasurements(slot_, Set(4, 4, kPaneReadings));
  EXPECT_EQ(slot_.InfoText[18], "Total Length:---.---");
  EXPECT_EQ(slot_.InfoText[19], "Total Loss:---.---");
  EXPECT_EQ(slot_.InfoText[20], "Total Attn.:-.--- dB/kft");
  ResetLengthUnit();
}

TEST_F(PageSlotTest, InsertionLossLinePrintsTheTablesCellMarkedWhereItFails) {
  // The table as the pane shows it: an End row without a loss of its own, a failing splice.
  EventTableView table;
  table.rows.resize(3);
  table.rows[1].texts[kColInsertionLoss] = "0.345";
  table.rows[1].failedColumns = 1u << kColInsertionLoss;
  table.rows[2].texts[kColInsertionLoss] = "-.---";
  struct Case {
    int event;
    std::string line;
    std::size_t failedFrom;
  };
  for (const Case& c : {Case{2, "Ins. Loss at #2: 0.345 dB", 17}, Case{3, "Ins. Loss at #3: -.--- dB", 0},
                        Case{0, "Ins. Loss at #0: -.--- dB", 0}, Case{4, "Ins. Loss at #4: -.--- dB", 0}}) {
    FillInsertionLossLine(slot_, c.event, table);
    EXPECT_EQ(slot_.InfoText[13], c.line) << c.event;
    EXPECT_EQ(slot_.FailedFrom[13], c.failedFrom) << c.event;
  }
}

TEST_F(PageSlotTest, LinkLossAndOrlThatFailTheTracesLimitsAreMarked) {
  PassFailThresholds limits{};
  limits.Enabled = {0, 0, 0, 0, 1, 1};
  limits.Limit[kLimitLinkLoss] = 2.0f;   // the link loses 2.5 dB
  limits.Limit[kLimitLinkOrl] = 40.0f;   // and returns 33.25 dB
  ReportTraceSet set = Set(2, 6, kPaneReadings);
  set.limits = limits;
  FormatCellMeasurements(slot_, set);
  EXPECT_EQ(slot_.InfoText[19].substr(slot_.FailedFrom[19]), "2.500 dB");
  EXPECT_EQ(slot_.InfoText[22].substr(slot_.FailedFrom[22]), "33.250 dB");

  set.limits.Enabled = {0, 0, 0, 0, 0, 0};
  FormatCellMeasurements(slot_, set);
  EXPECT_EQ(slot_.FailedFrom[19], 0u);
  EXPECT_EQ(slot_.FailedFrom[22], 0u);
}

TEST_F(PageSlotTest, LowestLevelSkipsTheFirstSample) {
  record_->DataPts.Traces[0].Samples[0] = 0;
  EXPECT_DOUBLE_EQ(ComputeLowestLevel(*record_, 10), 1.1);
  EXPECT_DOUBLE_EQ(ComputeLowestLevel(*record_, 1), 9999.0);
  EXPECT_DOUBLE_EQ(ComputeLowestLevel(*record_, 0), 9999.0);
}

// The texts of an event table of `count` rows as the pane shows them: the rows are the trace's own
// event rows on the fixture's record.
EventTableView EventTable(const SorRecord& record, int count) {
  std::vector<EventRow> rows(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    EventRow& r = rows[static_cast<std::size_t>(i)];
    r.Index = i;
    r.Type = i == 0 ? 0 : (i == count - 1 ? 1 : 2);
    r.Distance = static_cast<float>(i);
    r.Reflectance = -40.0f;
    r.SpliceLoss = 0.25f;
    r.Attenuation = 0.2f;
    r.CumulativeLoss = 0.5f * i;
    r.SectionLength = 1.0f;
    r.DistanceToEnd = static_cast<float>(count - 1 - i);
    r.SectionLoss = 0.125f;
  }
  static const PassFailThresholds kNoLimits{};
  return ComputeEventTable({rows, count - 1, record, kNoLimits}, g_LengthUnitFactor);
}

std::string Cell(const PageSlot& slot, int row, int column) {
  return slot.EventText[static_cast<std::size_t>(kSlotEventColumns * row + column)];
}

TEST_F(PageSlotTest, EventTableSplitIntoCellsHoldsTheTablesTextsRowByRow) {
  for (const std::string_view unit : {"km", "kft"}) {
    SetLengthUnit(unit);
    const EventTableView table = EventTable(*record_, 45);
    for (const int first : {0, 20, 40}) {
      FillPageSlotEvents(slot_, first, first + kSlotEventRows, table, "t.sor", 45);
      EXPECT_EQ(slot_.Used, 0);
      ASSERT_EQ(slot_.RowCount, std::min(kSlotEventRows, 45 - first));
      EXPECT_EQ(slot_.Title, "t.sor");
      EXPECT_EQ(slot_.TotalEvents, 45);
      for (int r = 0; r < slot_.RowCount; ++r) {
        for (int c = 0; c < kSlotEventColumns; ++c) {
          EXPECT_EQ(Cell(slot_, r, c), table.rows[static_cast<std::size_t>(first + r)].texts[static_cast<std::size_t>(c)])
              << unit << " row " << first + r << " column " << c;
        }
      }
    }
  }
  ResetLengthUnit();
}

TEST_F(PageSlotTest, EventRangePastTheTableOrWiderThanACellIsCut) {
  const EventTableView table = EventTable(*record_, 30);
  FillPageSlotEvents(slot_, 5, 40, table, "t.sor", 30);
  EXPECT_EQ(slot_.FirstRow, 5);
  EXPECT_EQ(slot_.EndRow, 25);
  FillPageSlotEvents(slot_, 28, 40, table, "t.sor", 30);
  EXPECT_EQ(slot_.RowCount, 2);
}

}  // namespace
