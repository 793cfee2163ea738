#include "panes/fiber_info_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "info_pane_fixture.h"
#include "measure/pass_fail_check.h"

class FiberInfoTextTest : public InfoPaneTest {
 protected:
  void SetUp() override {
    InfoPaneTest::SetUp();
    doc->m_PassFailThresholds.Enabled.fill(0);
  }
  std::vector<std::string> Values(const LengthUnit& unit) {
    std::vector<std::string> values;
    for (const PaneLine& line : FiberInfoLines(*doc, unit)) values.push_back(line.value);
    return values;
  }
};

TEST_F(FiberInfoTextTest, ShowsTheTotalsOfTheFixtureInEachUnit) {
  doc->m_SorRecord.KeyEvents.OpticalReturnLoss = 35613;
  const PaneLines lines = FiberInfoLines(*doc, Unit("km"));
  const std::vector<std::string> labels{"Measure Date:", "Range:", "Total Length:", "Total Loss:",
                                        "Total Attn.:", "Total ORL:", "Event Number:"};
  const std::vector<int> columns{123, 138, 138, 123, 123, 123, 123};
  ASSERT_EQ(lines.size(), labels.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].label, labels[i]);
    EXPECT_EQ(lines[i].valueX, columns[i]);
    EXPECT_FALSE(lines[i].failing);
  }
  EXPECT_EQ(Values(Unit("km")), (std::vector<std::string>{"03/07/2021 14:05:09", "10.00000 km", "8.00000 km",
                                                           "  1.950 dB", "  0.244 dB/km", "  35.613 dB", "  3"}));
  EXPECT_EQ(Values(Unit("kft")), (std::vector<std::string>{"03/07/2021 14:05:09", "32.80840 kft", "26.24672 kft",
                                                            "  1.950 dB", "  0.074 dB/kft", "  35.613 dB", "  3"}));
  EXPECT_EQ(Values(Unit("mi")), (std::vector<std::string>{"03/07/2021 14:05:09", "6.21371 mi", "4.97097 mi",
                                                           "  1.950 dB", "  0.392 dB/mi", "  35.613 dB", "  3"}));
}

TEST_F(FiberInfoTextTest, ATraceWithoutLinkShowsPlaceholdersAndNoFailure) {
  doc->m_LinkSummary = {10.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  doc->m_PassFailThresholds.Enabled[kLimitLinkLoss] = 1;
  doc->m_PassFailThresholds.Limit[kLimitLinkLoss] = 0.0f;
  const PaneLines lines = FiberInfoLines(*doc, Unit("mi"));
  EXPECT_EQ(lines[2].value, "---.---");
  EXPECT_EQ(lines[3].value, "---.---");
  EXPECT_EQ(lines[4].value, "  -.--- dB/mi");
  EXPECT_FALSE(lines[3].failing);
  doc->m_LinkSummary.TraceLength = 0.0f;
  EXPECT_EQ(FiberInfoLines(*doc, Unit("km"))[1].value, "---.---");
}

TEST_F(FiberInfoTextTest, LinkLossAndLinkOrlFailAtTheirLimits) {
  struct Case {
    float linkLoss;
    std::uint16_t storedOrl;
    bool lossRed;
    bool orlRed;
  };
  const Case cases[] = {
      {12.5f, 30100, false, false},
      {12.6f, 30000, true, true},  // an ORL at its limit fails, a loss at its limit passes
      {-12.6f, 29000, true, true},
  };
  PassFailThresholds& limits = doc->m_PassFailThresholds;
  limits.Limit[kLimitLinkLoss] = 12.5f;
  limits.Limit[kLimitLinkOrl] = 30.0f;
  for (const Case& c : cases) {
    doc->m_LinkSummary.LinkLoss = c.linkLoss;
    doc->m_SorRecord.KeyEvents.OpticalReturnLoss = c.storedOrl;
    limits.Enabled[kLimitLinkLoss] = 1;
    limits.Enabled[kLimitLinkOrl] = 1;
    PaneLines lines = FiberInfoLines(*doc, Unit("km"));
    EXPECT_EQ(lines[3].failing, c.lossRed) << c.linkLoss;
    EXPECT_EQ(lines[5].failing, c.orlRed) << c.storedOrl;
    limits.Enabled[kLimitLinkLoss] = 0;
    limits.Enabled[kLimitLinkOrl] = 0;
    lines = FiberInfoLines(*doc, Unit("km"));
    EXPECT_FALSE(lines[3].failing);
    EXPECT_FALSE(lines[5].failing);
  }
}

TEST_F(FiberInfoTextTest, LinkOrlIsComputedOnceAfterTheEventsChangeThenReadFromTheRecord) {
  g_DisplayState.LinkOrlDirty = 1;
  EXPECT_EQ(FiberInfoLines(*doc, Unit("km"))[5].value, "  35.614 dB");
  EXPECT_EQ(g_DisplayState.LinkOrlDirty, 0);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, 35614) << "rounded half up, not truncated";
  EXPECT_NEAR(doc->m_PassFailThresholds.MeasuredLinkOrl, 35.6136f, 0.0005f);
  EXPECT_EQ(FiberInfoLines(*doc, Unit("km"))[5].value, "  35.614 dB");

  // Without an end event the link has no ORL: it shows as missing and fails no limit.
  doc->m_EventRows[2].Type = kEventNonReflective;
  doc->m_PassFailThresholds.Enabled[kLimitLinkOrl] = 1;
  doc->m_PassFailThresholds.Limit[kLimitLinkOrl] = 30.0f;
  g_DisplayState.LinkOrlDirty = 1;
  const PaneLines lines = FiberInfoLines(*doc, Unit("km"));
  EXPECT_EQ(lines[5].value, "   -.--- dB");
  EXPECT_FALSE(lines[5].failing);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, 0);
}
