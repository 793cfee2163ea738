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

  CellMeasurementInputs Inputs(int a, int b) const {
    return {9.0, a, b, 0, record_.get(), &link_, link_.LinkOrl, nullptr, 10, std::span<const double>(samples_)};
  }

  std::unique_ptr<SorRecord> record_;
  std::array<double, 10> samples_{};
  LinkSummaryRecord link_{};
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

TEST_F(PageSlotTest, MeasurementsWithMarkersInEitherOrder) {
  FormatCellMeasurements(slot_, Inputs(2, 6));
  const std::array<std::string, 25> forward = slot_.InfoText;
  EXPECT_EQ(forward[15], "A-B: 4.00000 km");
  EXPECT_EQ(forward[16], "2pt. Loss: 0.400 dB");
  EXPECT_EQ(forward[17], "2pt. Attenuation: 0.100 dB/km");
  EXPECT_EQ(forward[21], "LSA-Attenuation: 0.100 dB/km");
  EXPECT_EQ(forward[18], "Total Length:8.00000 km");
  EXPECT_EQ(forward[19], "Total Loss:2.500 dB");
  EXPECT_EQ(forward[20], "Total Attn.:0.313 dB/km");
  EXPECT_EQ(forward[22], "Total ORL:33.250 dB");
  EXPECT_EQ(forward[14].rfind("Cum.Loss to A: ", 0), 0u);

  FormatCellMeasurements(slot_, Inputs(6, 2));
  for (int line : {15, 16, 17, 21}) EXPECT_EQ(slot_.InfoText[line], forward[line]) << line;
  EXPECT_EQ(slot_.CellMarkerA, 6);
  EXPECT_EQ(slot_.CellMarkerB, 2);
}

TEST_F(PageSlotTest, CoincidingMarkersAndNoLinkGivePlaceholdersNotDivisionByZero) {
  link_.LinkLength = 0.0f;
  record_->FxdParams.GroupIndex = 146800;
  record_->DataPts.Traces[0].PointCount = 10;
  SetLengthUnit("kft");
  FormatCellMeasurements(slot_, Inputs(4, 4));
  EXPECT_EQ(slot_.InfoText[15], "A-B: 0.00000 kft");
  EXPECT_EQ(slot_.InfoText[17], "2pt. Attenuation: 0.000 dB/kft");
  EXPECT_EQ(slot_.InfoText[21], "LSA-Attenuation: 0.000 dB/kft");
  EXPECT_EQ(slot_.InfoText[18], "Total Length:---.---");
  EXPECT_EQ(slot_.InfoText[19], "Total Loss:---.---");
  EXPECT_EQ(slot_.InfoText[20], "Total Attn.:-.--- dB/kft");
  EXPECT_EQ(slot_.InfoText[14],
            "Cum.Loss to A:   --.--- dB");  // no launch window, and no section stored past the events
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
  CellMeasurementInputs in = Inputs(2, 6);
  in.limits = &limits;
  FormatCellMeasurements(slot_, in);
  EXPECT_EQ(slot_.InfoText[19].substr(slot_.FailedFrom[19]), "2.500 dB");
  EXPECT_EQ(slot_.InfoText[22].substr(slot_.FailedFrom[22]), "33.250 dB");

  limits.Enabled = {0, 0, 0, 0, 0, 0};
  FormatCellMeasurements(slot_, in);
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
