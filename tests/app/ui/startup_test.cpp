#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "vocabulary/command_ids.h"

namespace {

QStringList PaneTitles(const COtdrApp& app) {
  QStringList titles;
  for (QMdiSubWindow* w : app.MainFrame()->MdiArea()->subWindowList(QMdiArea::CreationOrder)) {
    titles << w->windowTitle();
  }
  return titles;
}

const QStringList kPanesInOrder{"Trace", "Event Table", "Parameters", "Marker Information",
                                "Total Fiber Information"};

TEST(StartupTest, WithoutACommandLineTheFivePanesShowAnEmptyDocument) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(PaneTitles(*app), kPanesInOrder);
  EXPECT_EQ(app->MainFrame()->windowTitle(), QStringLiteral("Lumivane - [ No use this name ]"));
  EXPECT_TRUE(app->MainFrame()->PaneMenuShown());
  EXPECT_TRUE(app->m_TraceList.empty());
  EXPECT_TRUE(app->RecentFiles().Paths().empty());
  EXPECT_TRUE(env.sink().MessageTexts().empty());
  EXPECT_EQ(app->MainFrame()->MdiArea()->activeSubWindow(), app->PaneFrame(PaneKind::Trace));

  CommandTable& commands = app->Commands();
  EXPECT_TRUE(commands.State(CmdFileOpen).enabled);
  EXPECT_TRUE(commands.State(CmdAppAbout).enabled);
  for (const int id : {CmdAddEvent, CmdTraceReanalysis, CmdPassFail, CmdFileSave, CmdLengthUnits}) {
    EXPECT_FALSE(commands.State(id).enabled) << id;
  }
}

TEST(StartupTest, ACommandLinePathIsOpened) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("Link 7.sor");
  COtdrApp* app = env.Start({env.dir().Path("Link"), "7.sor"});
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->m_pDocument->m_strTracePath, path);
  EXPECT_EQ(app->MainFrame()->windowTitle().toStdString(), "Lumivane - [" + path + "]");
  ASSERT_EQ(app->m_TraceList.size(), 1u);
  EXPECT_EQ(g_DisplayState.TraceCount, 1);
  // The document and the list's record both carry the trace's display model.
  const COtdrDoc& doc = *app->m_pDocument;
  const TraceDisplayModel& model = app->m_TraceList.front()->m_Model;
  EXPECT_EQ(doc.m_nPointCount, 2000);
  EXPECT_EQ(model.m_nPointCount, 2000);
  EXPECT_EQ(doc.m_nEventCount, 3);
  EXPECT_EQ(model.m_nEventCount, 3);
  EXPECT_GT(doc.m_LinkSummary.TraceLength, 0.0f);
  EXPECT_EQ(doc.m_LinkSummary.TraceLength, model.m_LinkSummary.TraceLength);
  EXPECT_EQ(PaneTitles(*app), kPanesInOrder);
  EXPECT_EQ(app->RecentFiles().Paths(), std::vector<std::string>{path});
}

TEST(StartupTest, APathThatCannotBeOpenedLeavesAStartWithoutAFile) {
  struct Case {
    const char* name;
    bool create;
    const char* message;
  };
  for (const Case& c : {Case{"missing.sor", false, "Can't find file !\n"}, Case{"notes.txt", true, "Not Bellcore File !"}}) {
    SCOPED_TRACE(c.name);
    lumivane::test::AppTestEnv env;
    const std::string path = c.create ? env.dir().WriteFile(c.name, "plain text") : env.dir().Path(c.name);
    COtdrApp* app = env.Start({path});
    ASSERT_NE(app, nullptr);
    // The message names what could not be found.
    const std::string expected = c.create ? std::string(c.message) : c.message + path;
    EXPECT_EQ(env.sink().MessageTexts(), std::vector<std::string>{expected});
    EXPECT_EQ(PaneTitles(*app), kPanesInOrder);
    EXPECT_TRUE(app->MainFrame()->PaneMenuShown());
    EXPECT_EQ(app->MainFrame()->menuBar()->actions().first()->text(), QStringLiteral("&File"));
    EXPECT_EQ(app->MainFrame()->windowTitle(), QStringLiteral("Lumivane - [ No use this name ]"));
    EXPECT_TRUE(app->m_TraceList.empty());
    EXPECT_TRUE(app->RecentFiles().Paths().empty());

    ASSERT_NE(app->OpenDocumentFile(env.WriteTrace("a.sor")), nullptr);
    EXPECT_EQ(app->m_TraceList.size(), 1u);
  }
}

TEST(StartupTest, SwitchesEndTheStartWithoutAWindow) {
  for (const char* arg : {"-RegServer", "/UnregServer", "-Embedding"}) {
    SCOPED_TRACE(arg);
    lumivane::test::AppTestEnv env;
    EXPECT_EQ(env.Start({arg}), nullptr);
  }
}

TEST(PaneWindowTest, AClosedPaneComesBackAndTheCheckMarkFollowsTheWindowMenu) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  CommandTable& commands = app->Commands();
  EXPECT_TRUE(commands.State(CmdShowTracePane).checked.value_or(false));

  app->PaneFrame(PaneKind::Parameters)->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(app->PaneFrame(PaneKind::Parameters), nullptr);
  EXPECT_TRUE(commands.Execute(CmdShowParametersPane));
  ASSERT_NE(app->PaneFrame(PaneKind::Parameters), nullptr);
  EXPECT_TRUE(commands.State(CmdShowParametersPane).checked.value_or(false));
  EXPECT_FALSE(commands.State(CmdShowTracePane).checked.value_or(true));

  // The Trace pane stays: the Close item of its window menu is greyed, and a close is refused.
  QMdiSubWindow* trace = app->PaneFrame(PaneKind::Trace);
  trace->showMinimized();
  trace->showNormal();
  int closeItems = 0;
  for (QAction* a : trace->systemMenu()->actions()) {
    if (!a->text().contains(QStringLiteral("Close"))) continue;
    ++closeItems;
    EXPECT_FALSE(a->isEnabled());
  }
  EXPECT_EQ(closeItems, 1);
  app->PaneFrame(PaneKind::Trace)->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_NE(app->PaneFrame(PaneKind::Trace), nullptr);
}

// Chooses the recent-file entry of `path` in the File menu; false when there is none.
bool ChooseRecentFile(const COtdrApp& app, const std::string& path) {
  QMenu* file = app.MainFrame()->menuBar()->actions().first()->menu();
  for (QAction* a : file->actions()) {
    if (a->text().endsWith(QString::fromStdString(" " + path))) {
      a->trigger();
      return true;
    }
  }
  return false;
}

TEST(RecentFilesTest, AnEntryGoesOnlyWhenItsFileCannotBeOpened) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  const std::string gone = env.WriteTrace("gone.sor");
  app->OpenDocumentFile(gone);
  std::filesystem::remove(gone);
  ASSERT_TRUE(ChooseRecentFile(*app, gone));
  EXPECT_EQ(env.sink().MessageTexts(), std::vector<std::string>{"Can't find file !\n" + gone});
  EXPECT_TRUE(app->RecentFiles().Paths().empty());
  EXPECT_FALSE(ChooseRecentFile(*app, gone));

  // Four traces listed: the open is refused, but the file is fine and its entry stays.
  std::vector<std::string> paths;
  for (const char* n : {"b.sor", "c.sor", "d.sor"}) {
    paths.push_back(env.WriteTrace(n));
    app->OpenDocumentFile(paths.back());
  }
  ASSERT_EQ(g_DisplayState.TraceCount, 4);
  env.sink().Clear();
  ASSERT_TRUE(ChooseRecentFile(*app, paths[0]));
  EXPECT_EQ(env.sink().MessageTexts(), std::vector<std::string>{"Open Max Trace is 4"});
  EXPECT_EQ(app->RecentFiles().Paths(), (std::vector<std::string>{paths[2], paths[1], paths[0]}));
}

TEST(PaneWindowTest, TheOpenCommandsAreGreyedWhileFourTracesAreListed) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  for (const char* n : {"a.sor", "b.sor", "c.sor"}) app->OpenDocumentFile(env.WriteTrace(n));
  EXPECT_TRUE(app->Commands().State(CmdAddTrace).enabled);
  app->OpenDocumentFile(env.WriteTrace("d.sor"));
  EXPECT_FALSE(app->Commands().State(CmdAddTrace).enabled);
  EXPECT_FALSE(app->Commands().State(CmdFileOpen).enabled);
}

TEST(PaneWindowTest, PassFailNeedsATraceNotJustThePseudoPath) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  int runs = 0;
  app->m_pDocument->Commands().BindCommand(CmdPassFail, [&] { ++runs; });
  EXPECT_FALSE(app->Commands().Execute(CmdPassFail));
  app->OpenDocumentFile(env.WriteTrace("a.sor"));
  EXPECT_TRUE(app->Commands().Execute(CmdPassFail));
  EXPECT_EQ(runs, 1);
}

TEST(PaneWindowTest, ForwardingToAClosedEventTableOpensItFirst) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  app->PaneFrame(PaneKind::EventTable)->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(app->PaneFrame(PaneKind::EventTable), nullptr);
  app->ForwardAddEvent();
  EXPECT_NE(app->PaneFrame(PaneKind::EventTable), nullptr);
  app->PaneFrame(PaneKind::EventTable)->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  app->ForwardTraceReanalysis();
  EXPECT_NE(app->PaneFrame(PaneKind::EventTable), nullptr);
}

TEST(PaneWindowTest, AViewServesItsCommandsOnlyWhileItExists) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  auto view = std::make_unique<QObject>();
  int runs = 0;
  bool zoomable = false;
  app->BindViewCommand(*view, CmdZoomOut, [&] { ++runs; }, [&] { return zoomable; });
  EXPECT_FALSE(app->Commands().Execute(CmdZoomOut));
  zoomable = true;
  EXPECT_TRUE(app->Commands().Execute(CmdZoomOut));
  view.reset();
  EXPECT_FALSE(app->Commands().Execute(CmdZoomOut));
  EXPECT_EQ(runs, 1);
}

}  // namespace
