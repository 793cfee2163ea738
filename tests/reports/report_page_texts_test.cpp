#include "reports/report_page_texts.h"

#include <gtest/gtest.h>

#include <memory>

#include "measure/pass_fail_check.h"
#include "sor/sor_text.h"
#include "vocabulary/text_table.h"

namespace {

class ReportTextsTest : public ::testing::Test {
 protected:
  ReportTextsTest() {
    InitLanguageTable();
    SelectLanguage(0);
    record_ = std::make_unique<SorRecord>();
    fibre_ = FibreParamsRecord{};
    fibre_.Range = 20.0f;
    fibre_.PulseWidth = 100;
    fibre_.Wavelength = 1550;
    fibre_.GroupIndex = 1.4682f;
    fibre_.Backscatter = -81.0f;
    fibre_.AveragingTime = 30;
    fibre_.EndThreshold = 3.0f;
    fibre_.LossThreshold = 0.05f;
    fibre_.ReflectanceThreshold = 56.0f;
    record_->FxdParams.AcquisitionRangeDistance = 200000;
    record_->GenParams.FiberType = 652;
    SetSorText(record_->GenParams.CableId, std::string_view("CAB-7"));
  }

  std::array<std::string, 21> Lines(std::string_view unit = "km", double factor = 1.0, bool linkMap = false) const {
    return TraceInfoLines({*record_, date_, fibre_, "/data/run/a.sor", unit, factor, linkMap, "OTDR-9"});
  }

  std::unique_ptr<SorRecord> record_;
  TraceDateTime date_{5, 4, 3, 2, 1, 2024};
  FibreParamsRecord fibre_{};
};

TEST_F(ReportTextsTest, TraceInformationLinesReadAsTheReportPrintsThem) {
  const auto lines = Lines();
  EXPECT_EQ(lines[0], "File : a.sor");
  EXPECT_EQ(lines[1], "Cable ID : CAB-7");
  EXPECT_EQ(lines[4], "Range :   20.0 km");
  EXPECT_EQ(lines[5], "IOR :   1.46820");
  EXPECT_EQ(lines[7], "Measure Date : 01-02-2024   03:04:05");
  EXPECT_EQ(lines[10], "Fiber Type : Conventional Singlemode Fiber");
  EXPECT_EQ(lines[11], "PulseWidth :    100 ns");
  EXPECT_EQ(lines[16], "");
  EXPECT_EQ(lines[17], "Device : OTDR-9");
  EXPECT_EQ(lines[18], "Wavelength :   1550 nm");
  EXPECT_EQ(lines[19], "Average Time :  00:00:30");
  EXPECT_EQ(lines[20], "Refl. Threshold : -56.00 dB");
}

TEST_F(ReportTextsTest, RangeIsShownInTheDisplayUnitAndAutoWhenZero) {
  EXPECT_EQ(Lines("kft", 3.280839895)[4], "Range :   65.6 kft");
  fibre_.Range = 0;
  EXPECT_EQ(Lines("mi", 0.62137119)[4], "Range : Auto");
}

TEST_F(ReportTextsTest, NegativeReflectanceThresholdKeepsOneMinus) {
  fibre_.ReflectanceThreshold = -56.0f;
  EXPECT_EQ(Lines()[20], "Refl. Threshold : -56.00 dB");
}

TEST_F(ReportTextsTest, LinkMapShowsPulseWidthAutoAndLongHeadersAreCut) {
  SetSorText(record_->GenParams.Operator, std::string(150, 'o'));
  const auto lines = Lines("km", 1.0, true);
  EXPECT_EQ(lines[11], "PulseWidth : Auto");
  EXPECT_EQ(lines[3], "Operator : " + std::string(100, 'o'));
  EXPECT_EQ(HeaderText(u"Caf\u00e9"), "Caf\xc3\xa9");
}

TEST_F(ReportTextsTest, AverageTimeAndFibreTypeTables) {
  const std::pair<int, std::string> times[] = {
      {0, "Unlimited"}, {59, " 00:00:59"}, {7200, " 02:00:00"}, {7201, " -----"}, {-1, " -----"}, {3725, " 01:02:05"}};
  for (const auto& [seconds, text] : times) EXPECT_EQ(ReportAverageTime(seconds), text) << seconds;
  EXPECT_EQ(FibreTypeText(651), "Multi-Mode Fiber");
  EXPECT_EQ(FibreTypeText(655), "Non-Zero Dispersion Shifted Singlemode Fiber");
  EXPECT_EQ(FibreTypeText(654), "");
  EXPECT_EQ(FibreTypeText(0), "");
}

TEST_F(ReportTextsTest, InformationColumnsSitAt50_282_514AndColumnOneEndsTheBlock) {
  int y = -80;
  int ruleY = 0;
  const auto placed = PlaceTraceInfo(Lines(), y, ruleY);
  ASSERT_EQ(placed.size(), 21u);
  EXPECT_EQ(placed[0].x, 50);
  EXPECT_EQ(placed[7].x, 282);
  EXPECT_EQ(placed[14].x, 514);
  EXPECT_EQ(placed[0].y, -83);
  EXPECT_EQ(placed[6].y, -83 - 6 * 15);
  EXPECT_EQ(ruleY, -83 - 7 * 15);
  EXPECT_EQ(y, ruleY - 9);
}

TEST_F(ReportTextsTest, TotalsLineWithAndWithoutLinkData) {
  LinkSummaryRecord summary{25.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  auto line = TotalsLine(summary, 32.5f, "km", 1.0, PassFailThresholds{});
  ASSERT_EQ(line.size(), 5u);
  EXPECT_EQ(line[0].text, "Range:25.00000  km");
  EXPECT_EQ(line[1].text, "Total Length:---.---");
  EXPECT_EQ(line[2].text, "Total Loss:---.---");
  EXPECT_EQ(line[3].text, "Total Attn.:-.--- dB/km");
  EXPECT_EQ(line[4].text, "Total ORL:32.500 dB");
  EXPECT_TRUE(line[4].alignRight);
  const std::array<int, 5> xs{50, 209, 353, 493, 737};
  for (std::size_t i = 0; i < xs.size(); ++i) EXPECT_EQ(line[i].x, xs[i]);

  summary = {25.0f, 20.0f, 5.0f, 0.0f, 0.25f};
  line = TotalsLine(summary, 32.5f, "kft", 3.280839895, PassFailThresholds{});
  EXPECT_EQ(line[1].text, "Total Length:65.61680 kft");
  EXPECT_EQ(line[2].text, "Total Loss:5.000 dB");
  EXPECT_EQ(line[3].text, "Total Attn.:0.076 dB/kft");
}

TEST(ReportEventPages, RowsOfEachPage) {
  struct Case {
    int page, count, first, expectFirst, expectCount;
  };
  const Case cases[] = {
      {1, 19, 19, 0, 19}, {2, 19, 19, 19, 0},  {1, 20, 19, 0, 19},  {2, 20, 19, 19, 1},   {2, 83, 19, 19, 64},
      {3, 83, 19, 83, 0}, {2, 84, 19, 19, 64}, {3, 84, 19, 83, 1},  {3, 200, 19, 83, 64}, {4, 200, 19, 147, 53},
      {1, 0, 19, 0, 0},   {1, 70, 64, 0, 64},  {2, 70, 64, 64, 6},
  };
  for (const Case& c : cases) {
    const RowSpan span = EventRowsOfPage(c.page, c.count, c.first);
    EXPECT_EQ(span.first, c.expectFirst) << c.page << "/" << c.count;
    EXPECT_EQ(span.count, c.expectCount) << c.page << "/" << c.count;
  }
}

TEST_F(ReportTextsTest, HeadingsCarryTheUnitAndStartAtTheirColumns) {
  const auto headings = EventTableHeadings("kft");
  ASSERT_EQ(headings.size(), 11u);
  EXPECT_EQ(headings[2].text, "Location[kft]");
  EXPECT_EQ(headings[2].x, 162);
  EXPECT_EQ(headings[5].text, "Attn.[dB/kft]");
  EXPECT_EQ(headings[7].text, "Dist.Prev.[kft]");
  EXPECT_EQ(headings[9].text, "Loss Prev.[dB]");
  EXPECT_EQ(headings[10].x, 700);
}

TEST_F(ReportTextsTest, CaptionFooterAndLogo) {
  EXPECT_EQ(GraphCaption(2.5, 5.0, "km", 1.0), "Trace  2.500 km/Div  5.000 dB/Div");
  EXPECT_EQ(FooterPageText("2026-01-02 03:04:05", 2, 4), "2026-01-02 03:04:05   2/4");
  const LogoPlace wide = ReportLogoPlace(480, 150);
  EXPECT_EQ(wide.left, 489);
  EXPECT_EQ(wide.width, 240);
  EXPECT_EQ(wide.top, -15);
  EXPECT_EQ(wide.height, 50);
  EXPECT_EQ(ReportLogoPlace(960, 150).width, 240);
  EXPECT_EQ(ReportLogoPlace(200, 90).left, 629);
  for (const auto& [path, ok] : std::initializer_list<std::pair<std::string_view, bool>>{
           {"logo.bmp", true}, {"logo.BMP", true}, {"logo.Bmp", true}, {"logo.bMp", false}, {"logo.png", false}, {"mp", false}}) {
    EXPECT_EQ(IsReportLogoPath(path), ok) << path;
  }
}

}  // namespace
