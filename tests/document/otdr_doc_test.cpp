#include "document/otdr_doc.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "recording_message_sink.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::Reply;
using lumivane::test::RecordingMessageSink;

// Records what reaches it into a log shared by all views of a test.
class FakeView final : public DocView {
 public:
  FakeView(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  void OnInitialUpdate() override { log_.push_back(name_ + " initial"); }
  void OnUpdate(DocView* sender, int hint) override {
    log_.push_back(name_ + " update " + std::to_string(hint) + (sender ? " from view" : ""));
    if (onUpdate) onUpdate();
  }
  std::function<void()> onUpdate;

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
  }
  std::unique_ptr<COtdrDoc> doc_ = std::make_unique<COtdrDoc>();
  RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_{sink_};
};

TEST_F(DocumentTest, StartsEmptyWithTheRunsDefaultSettings) {
  EXPECT_FALSE(doc_->HasTrace());
  EXPECT_EQ(doc_->m_MarkerState.TableSnapMarker, 2);
  EXPECT_EQ(doc_->m_PrintOptions.MarkerInfo, 1);
  EXPECT_EQ(doc_->m_PrintOptions.PerPageIndex, -1);
  EXPECT_EQ(doc_->m_PrintOptions.Logo, 0);
  // Every report gate is open: the report's content follows the print options alone.
  const ConfigReport& gates = doc_->m_ConfigReport;
  EXPECT_EQ((std::array{gates.PrintEventTable, gates.PrintMarkerTable, gates.PrintGqlInfo, gates.PrintMark,
                        gates.PrintMarkInfo, gates.PrintPara, gates.PrintTraceGraph, gates.PrintBackGrid}),
            (std::array<std::int32_t, 8>{1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(doc_->m_PortSettings.m_strPortType, "USB");
  EXPECT_EQ(doc_->m_PortSettings.m_nBaudRate, 115200);
  EXPECT_EQ(doc_->m_PassFailThresholds.Enabled, (std::array<std::int32_t, 6>{1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(doc_->m_TraceColours[0], (TraceColour{255, 0, 0}));
  EXPECT_EQ(doc_->m_TraceColours[15], (TraceColour{255, 168, 168}));
  EXPECT_EQ(doc_->m_TraceColours.size(), 16u);  // the seventeenth index wraps to the first colour
}

TEST_F(DocumentTest, BroadcastsReachViewsInPaneOrderSkippingTheSender) {
  std::vector<std::string> log;
  FakeView marker("marker", log), trace("trace", log), fiber("fiber", log), table("table", log), para("para", log);
  doc_->AddView(marker, PaneKind::MarkerInfo);
  doc_->AddView(trace, PaneKind::Trace);
  doc_->AddView(fiber, PaneKind::FiberInfo);
  doc_->AddView(table, PaneKind::EventTable);
  doc_->AddView(para, PaneKind::Parameters);

  doc_->UpdateAllViews(&table, kHintEventChosen);
  EXPECT_EQ(log, (std::vector<std::string>{"trace update 1 from view", "para update 1 from view",
                                           "fiber update 1 from view", "marker update 1 from view"}));
  log.clear();
  doc_->OnWindowCascade();
  EXPECT_EQ(log, (std::vector<std::string>{"trace initial", "table initial", "para initial", "fiber initial",
                                           "marker initial"}));
}

TEST_F(DocumentTest, AViewRemovedDuringABroadcastIsNotCalled) {
  std::vector<std::string> log;
  FakeView trace("trace", log), table("table", log);
  doc_->AddView(trace, PaneKind::Trace);
  doc_->AddView(table, PaneKind::EventTable);
  trace.onUpdate = [&] { doc_->RemoveView(table); };
  doc_->UpdateAllViews(nullptr, kHintRefresh);
  EXPECT_EQ(log, (std::vector<std::string>{"trace update 0"}));
}

TEST_F(DocumentTest, CommandsOfLaterSubsystemsStayDisabledUntilBound) {
  DocumentCommands& commands = doc_->Commands();
  EXPECT_TRUE(commands.IsEnabled(CmdWindowCascade));
  for (int id : {CmdFileSave, CmdFileSaveAs, CmdPrintOption, CmdEditTraceInfo, CmdUploadTraceFile, CmdAsciiExport,
                 CmdBatchEdit, CmdPrint, CmdPrintPreview, CmdPassFail}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(commands.Serves(id));
    EXPECT_FALSE(commands.IsEnabled(id));
    EXPECT_FALSE(commands.Execute(id));
  }
  // Only the ids of the document's map can be bound, each only as the kind the map lists.
  EXPECT_FALSE(commands.BindCommand(CmdFileOpen, [] {}));
  EXPECT_FALSE(commands.BindCommand(CmdPrint, [] {}));
  EXPECT_FALSE(commands.BindUpdate(CmdPassFail, [] { return true; }));

  int saves = 0;
  bool hasTrace = false;
  ASSERT_TRUE(commands.BindCommand(CmdFileSave, [&] { ++saves; }));
  ASSERT_TRUE(commands.BindUpdate(CmdFileSave, [&] { return hasTrace; }));
  EXPECT_FALSE(commands.Execute(CmdFileSave));
  hasTrace = true;
  EXPECT_TRUE(commands.Execute(CmdFileSave));
  EXPECT_EQ(saves, 1);
}

TEST_F(DocumentTest, TheCascadeCommandLaysEveryPaneOutAgain) {
  std::vector<std::string> log;
  FakeView trace("trace", log);
  doc_->AddView(trace, PaneKind::Trace);
  EXPECT_TRUE(doc_->Commands().Execute(CmdWindowCascade));
  EXPECT_EQ(log, (std::vector<std::string>{"trace initial"}));
}

TEST_F(DocumentTest, ClosingEmptiesTheEditStateButKeepsTheDocument) {
  std::vector<std::string> log;
  FakeView trace("trace", log);
  doc_->AddView(trace, PaneKind::Trace);
  doc_->m_strTracePath = "/data/a.sor";
  doc_->m_nEventCount = 5;
  doc_->m_nPointCount = 2000;
  doc_->m_nCurrentEvent = 3;
  doc_->m_MarkerState.ActiveMarker = 1;
  doc_->m_EventRows[999].Distance = 4.5f;
  doc_->m_EventRows[0].Type = 2;

  doc_->OnCloseDocument();
  EXPECT_EQ(doc_->m_nEventCount, 0);
  EXPECT_EQ(doc_->m_nPointCount, 0);
  EXPECT_EQ(doc_->m_nCurrentEvent, 0);
  EXPECT_EQ(doc_->m_MarkerState.ActiveMarker, 0);
  EXPECT_EQ(doc_->m_EventRows[999].Distance, 0.0f);
  EXPECT_EQ(doc_->m_EventRows[0].Type, 0);
  EXPECT_EQ(doc_->m_strTracePath, "/data/a.sor");
  EXPECT_EQ(log, (std::vector<std::string>{"trace update 0"}));
}

TEST_F(DocumentTest, SavingReportsTheOutcomeOfSave) {
  EXPECT_FALSE(doc_->OnSaveDocument("/elsewhere/b.sor"));  // nothing can save yet

  bool succeeds = false;
  int saves = 0;
  doc_->BindSave([&] { ++saves; return succeeds; });
  EXPECT_FALSE(doc_->OnSaveDocument("/elsewhere/b.sor"));
  succeeds = true;
  EXPECT_TRUE(doc_->OnSaveDocument("/elsewhere/b.sor"));
  EXPECT_EQ(saves, 2);
}

TEST_F(DocumentTest, TheSavePromptDecidesWhetherTheFrameMayClose) {
  bool succeeds = false;
  doc_->BindSave([&] { return succeeds; });
  EXPECT_TRUE(doc_->CanCloseFrame());  // unmodified: no question
  EXPECT_TRUE(sink_.questions().empty());

  doc_->SetPathName("/data/A.sor");
  doc_->SetModifiedFlag();
  sink_.ScriptReplies({Reply::Yes, Reply::No, Reply::Cancel, Reply::Yes});
  EXPECT_FALSE(doc_->CanCloseFrame());  // the save failed: the edits must not be dropped
  EXPECT_TRUE(doc_->CanCloseFrame());
  EXPECT_FALSE(doc_->CanCloseFrame());
  succeeds = true;
  EXPECT_TRUE(doc_->CanCloseFrame());
  ASSERT_EQ(sink_.questions().size(), 4u);
  EXPECT_EQ(sink_.questions()[0].text, "Save changes to /data/A.sor?");
}

TEST_F(DocumentTest, ConversionsOnTheCurrentTrace) {
  doc_->m_SorRecord.DataPts.Traces[0].PointCount = 11;
  doc_->m_SorRecord.FxdParams.GroupIndex = 146800;
  doc_->m_nPointCount = 11;
  doc_->m_dFibreLengthKm = 10.0;

  doc_->m_strTracePath = "/data/Trace.SOR";
  EXPECT_EQ(doc_->GetPosition_Distance(4.5f), 5);
  EXPECT_EQ(doc_->GetPosition_Distance(4.49f), 4);
  EXPECT_EQ(doc_->GetPosition_Distance(25.0f), 10);
  EXPECT_EQ(doc_->GetPosition_Distance(-1.0f), 0);
  EXPECT_EQ(doc_->DistanceToTime(1.0f), 48967);
  // Distances and times both count from the user's zero, here 0.153 km after the first sample:
  // the time of a distance is unshifted, its sample lies the zero's distance further on.
  doc_->m_SorRecord.GenParams.UserOffset = 7475;
  doc_->m_SorRecord.FxdParams.AcquisitionOffset = -25;
  EXPECT_EQ(doc_->DistanceToTime(1.0f), 48967);
  EXPECT_EQ(doc_->GetPosition_Distance(4.4f), 5);
  EXPECT_EQ(doc_->GetPosition_Distance(-0.2f), 0);
  doc_->m_SorRecord.GenParams.UserOffset = 0;
  doc_->m_SorRecord.FxdParams.AcquisitionOffset = 0;
  EXPECT_TRUE(sink_.messages().empty());

  for (const char* path : {"", "space", "/data/trace.trc"}) {
    SCOPED_TRACE(path);
    sink_.Clear();
    doc_->m_strTracePath = path;
    EXPECT_EQ(doc_->GetPosition_Distance(4.5f), 0);
    EXPECT_EQ(sink_.MessageTexts(), (std::vector<std::string>{"GetPosition_Distance"}));
  }
}

TEST_F(DocumentTest, MarkerWindowsFollowTheActiveMarker) {
  doc_->m_nPointCount = 10000;
  doc_->m_MarkerState.ActiveMarker = 1;
  doc_->m_MarkerState.MarkerB = 9800;
  doc_->SetMarkerWindows();
  EXPECT_EQ(doc_->m_MarkerState.LossAuxMarkers[1][0].SampleIndex, 9300);
  EXPECT_EQ(doc_->m_MarkerState.LossAuxMarkers[1][3].SampleIndex, 10000);
  EXPECT_EQ(doc_->m_MarkerState.ReflectanceAuxMarkers[1][2].SampleIndex, 9800);
  EXPECT_EQ(doc_->m_MarkerState.LossAuxMarkers[0][3].SampleIndex, 0);
}

TEST_F(DocumentTest, TheDisplayModelFillsTheDocumentsOwnMarkers) {
  const DisplayModelTarget target = doc_->DisplayModelMembers();
  EXPECT_EQ(target.cursorA, &doc_->m_MarkerState.MarkerA);
  EXPECT_EQ(target.cursorB, &doc_->m_MarkerState.MarkerB);
  EXPECT_EQ(&target.lossAuxMarkers[1][3], &doc_->m_MarkerState.LossAuxMarkers[1][3]);
  EXPECT_EQ(&target.reflectanceAuxMarkers[1][2], &doc_->m_MarkerState.ReflectanceAuxMarkers[1][2]);
  EXPECT_EQ(target.eventRows.data(), doc_->m_EventRows.data());
  EXPECT_EQ(target.analysisMode, &doc_->m_MarkerState.AnalysisMode);

  auto model = std::make_unique<TraceDisplayModel>();
  const DisplayModelTarget work = DisplayModelTargetOf(*model);
  EXPECT_EQ(work.cursorB, &model->m_nCursorB);
  EXPECT_EQ(&work.lossAuxMarkers[1][3], &model->m_LossAuxMarkers[1][3]);
}

}  // namespace
