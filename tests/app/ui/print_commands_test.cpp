#include <gtest/gtest.h>

#include "vocabulary/command_ids.h"
#include "app/ui/otdr_app.h"
#include "document/otdr_doc.h"
#include "app_test_env.h"

namespace {

TEST(PrintCommandsTest, MenuPrintWaitsForATraceWhileTheAcceleratorsSetupAndBatchStayEnabled) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  ASSERT_NE(app, nullptr);
  CommandTable& commands = app->Commands();
  for (const int id : {CmdPrint, CmdPrintPreview}) {
    EXPECT_TRUE(commands.IsBound(id)) << id;
    EXPECT_FALSE(commands.State(id).enabled) << id;
  }
  for (const int id : {CmdPrintActiveView, CmdPrintPreviewActiveView, CmdPrintSetup, CmdBatchPrint,
                       CmdBatchPrintPreview}) {
    EXPECT_TRUE(commands.State(id).enabled) << id;
  }
}

TEST(PrintCommandsTest, AnOpenTraceEnablesPrintAndPreview) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("a.sor");
  COtdrApp* app = env.Start({path});
  ASSERT_NE(app, nullptr);
  for (const int id : {CmdPrint, CmdPrintPreview}) EXPECT_TRUE(app->Commands().State(id).enabled) << id;
}

TEST(PrintCommandsTest, AnOpenedTraceHasTheValuesItsReportPrints) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("a.sor");
  COtdrApp* app = env.Start({path});
  ASSERT_NE(app, nullptr);
  // The markers stand apart on the new trace; their readings are there for the report at once.
  const MarkerState& markers = app->m_pDocument->m_MarkerState;
  ASSERT_NE(markers.MarkerA, markers.MarkerB);
  EXPECT_GT(app->m_pDocument->m_MarkerReadings.m_dDistanceAB, 0.0);
}

TEST(PrintCommandsTest, EveryLayoutPrints) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("a.sor");
  COtdrApp* app = env.Start({path});
  ASSERT_NE(app, nullptr);
  for (const int layout : {kLayoutMultiTrace, kLayoutCombined}) {
    app->m_pDocument->m_PrintOptions.Layout = layout;
    for (const int id : {CmdPrint, CmdPrintPreview, CmdPrintActiveView, CmdPrintPreviewActiveView}) {
      EXPECT_TRUE(app->Commands().State(id).enabled) << layout << " " << id;
    }
  }
}

}  // namespace
