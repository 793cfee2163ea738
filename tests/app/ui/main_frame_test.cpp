#include "app/ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QToolBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/about_dlg.h"
#include "app/ui/command_table.h"
#include "app/ui/splash_wnd.h"
#include "temp_dir.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/text_table.h"

namespace {

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
    CMainFrame::Callbacks callbacks;
    callbacks.relayoutPanes = [this] { ++relayouts; };
    frame = std::make_unique<CMainFrame>(commands, std::move(callbacks));
    frame->OnCreate(QStringLiteral("lumivane-frame-test-%1").arg(QCoreApplication::applicationPid()));
  }

  QStringList MenuTitles() const {
    QStringList titles;
    for (QAction* a : frame->menuBar()->actions()) titles << a->text();
    return titles;
  }

  CommandTable commands;
  std::unique_ptr<CMainFrame> frame;
  int relayouts = 0;
};

TEST_F(MainFrameTest, TheToolbarHoldsItsButtonsInOrderWithSeparators) {
  std::vector<int> ids;
  for (QAction* a : frame->ToolBar()->actions()) ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
  const std::vector<int> expected{
      CmdFileOpen, CmdCloseCurrentTraceButton, CmdFileSave, 0, CmdPrintPreview, CmdPrint, 0, CmdEditTraceInfo, 0,
      CmdZoomOut, CmdViewFullTrace, 0, CmdZoomInHorizontally, CmdZoomOutHorizontally, CmdZoomInVertically,
      CmdZoomOutVertically, 0, CmdAnalyzeInsertionLoss, CmdAnalyzeReflectance, 0, CmdLockMarkerAB, CmdAppAbout, 0,
      CmdTrace1, 0, CmdTrace2, 0, CmdTrace3, 0, CmdTrace4, 0, CmdLinkMap};
  EXPECT_EQ(ids, expected);
  for (QAction* a : frame->ToolBar()->actions()) {
    if (!a->isSeparator()) {
      EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
    }
  }
}

TEST_F(MainFrameTest, KeysIssueTheirCommands) {
  const struct {
    const char* keys;
    int id;
  } bindings[] = {{"A", CmdZoomInHorizontally}, {"D", CmdZoomInVertically}, {"F", CmdZoomOutVertically},
                  {"S", CmdZoomOutHorizontally}, {"G", CmdViewFullTrace},   {"Ctrl+O", CmdFileOpen},
                  {"Ctrl+S", CmdFileSave},       {"Ctrl+P", CmdPrintActiveView}, {"Ctrl+L", CmdPrintPreviewActiveView}};
  for (const auto& b : bindings) {
    SCOPED_TRACE(b.keys);
    EXPECT_EQ(commands.Action(b.id)->shortcut(), QKeySequence(QString::fromLatin1(b.keys)));
  }
  EXPECT_TRUE(commands.Action(CmdPrint)->shortcut().isEmpty());  // the menu's Print item only shows Ctrl+P
}

TEST_F(MainFrameTest, EveryCommandExistsAndOnlyServedOnesAreEnabled) {
  for (const int id : AllFrameCommandIds()) {
    SCOPED_TRACE(id);
    const bool served = commands.IsBound(id);
    EXPECT_EQ(commands.Action(id)->isEnabled(), served);
  }
  EXPECT_TRUE(commands.Action(CmdShowToolbar)->isEnabled());
  EXPECT_TRUE(commands.Action(CmdShowToolbar)->isChecked());
  EXPECT_FALSE(commands.Action(CmdLengthUnits)->isEnabled());
}

TEST_F(MainFrameTest, TheFrameMenuShowsUntilAPaneExists) {
  EXPECT_EQ(MenuTitles().first(), QStringLiteral("文件(&F)"));
  EXPECT_TRUE(MenuTitles().contains(QStringLiteral("typ")));
  frame->ShowPaneMenu(true);
  EXPECT_EQ(MenuTitles(), (QStringList{"&File", "&Edit", "&View", "&OTDR", "&Window", "&Help"}));
}

// One menu as "text=id" entries, "-" for a separator and "[popup: ...]" for a submenu.
QString Describe(const QMenu* menu) {
  QStringList items;
  for (const QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      items << QStringLiteral("-");
    } else if (a->menu() != nullptr) {
      items << QStringLiteral("[%1: %2]").arg(a->text(), Describe(a->menu()));
    } else {
      items << QStringLiteral("%1=%2").arg(a->text()).arg(a->data().toInt());
    }
  }
  return items.join(QStringLiteral(" | "));
}

TEST_F(MainFrameTest, ThePaneMenuListsEveryItemInOrderWithItsCommand) {
  frame->ShowPaneMenu(true);
  QStringList menus;
  for (QAction* a : frame->menuBar()->actions()) menus << a->text() + QStringLiteral(": ") + Describe(a->menu());
  const QStringList expected{
      "&File: Upload Trace File...=32879 | - | &Open...\tCtrl+O=57601 | "
      "[&Multi-traces: &Add trace...=32931 | &Close current trace=32932] | &Save\tCtrl+S=57603 | "
      "Save &As...=57604 | - | ASCII  Export...=32884 | - | Print Option...=32852 | Print Pre&view=32915 | "
      "Print Setup...=57606 | &Print...\tCtrl+P=32914 | - | Batch Print Preview=32907 | Batch Print=32906 | "
      "Batch Edit=32908 | - | E&xit=57665 | - | Recent Files=0 | -",
      "&Edit: Add Event=32904 | Delete Event=32794 | - | Edit Trace Information...=32773",
      "&View: Show Toolbar=59392 | Show Status Bar=59393 | - | Lock Marker A B=32774 | Zoom out=32926 | "
      "View Full Trace=32776 | Analyze Insertion Loss=32901 | Analyze Reflectance=32902 | Length Units...=32918 | - | "
      "View Preferences...=32785",
      "&OTDR: Trace Reanalysis=32941 | Pass/Fail...=32956",
      "&Window: Cascade=32867 | - | Trace=32869 | EventTable=32870 | Parameters=32871 | Marker Information=32872 | "
      "Total Fiber Information=32873",
      "&Help: Lumivane...=57664"};
  EXPECT_EQ(menus, expected);

  frame->ShowPaneMenu(false);
  menus.clear();
  for (QAction* a : frame->menuBar()->actions()) menus << a->text() + QStringLiteral(": ") + Describe(a->menu());
  const QStringList expectedFrameMenu{
      "文件(&F): 新建(&N)\tCtrl+N=57600 | 打开(&O)...\tCtrl+O=57601 | - | 打印设置(&R)...=57606 | - | 最近文件=0 | - | "
      "退出(&X)=57665",
      "查看(&V): 工具栏(&T)=59392 | 状态栏(&S)=59393",
      "帮助(&H): 帮助主题(&H)=57667 | - | 关于 Lumivane(&A)...=57664",
      "typ: GetUseStatus=32854 | GetPowerStatus=32855 | SetParams=32856 | ClosePower=32857 | MesStart=32858 | "
      "MesStop=32859 | Read=32860",
      "backup: pass/fail=32956"};
  EXPECT_EQ(menus, expectedFrameMenu);
}

TEST_F(MainFrameTest, RecentFilesAreListedUnderTheFileMenu) {
  frame->ShowPaneMenu(true);
  frame->SetRecentFiles({"/data/B.sor", "/data/a.sor"});
  QMenu* file = frame->menuBar()->actions().first()->menu();
  QStringList texts;
  for (QAction* a : file->actions()) texts << a->text();
  EXPECT_TRUE(texts.contains(QStringLiteral("&1 /data/B.sor")));
  EXPECT_TRUE(texts.contains(QStringLiteral("&2 /data/a.sor")));
  EXPECT_FALSE(texts.contains(QStringLiteral("Recent Files")));

  // A new list replaces only the entries, in their place; the menus themselves stay.
  const QList<QAction*> bar = frame->menuBar()->actions();
  const auto tail = [file] {
    QStringList items;
    const QList<QAction*> actions = file->actions();
    for (qsizetype i = actions.size() - 5; i < actions.size(); ++i) items << actions[i]->text();
    return items.join(QStringLiteral("|"));
  };
  frame->SetRecentFiles({"/data/c.sor"});
  EXPECT_EQ(frame->menuBar()->actions(), bar);
  EXPECT_EQ(frame->menuBar()->actions().first()->menu(), file);
  EXPECT_EQ(tail(), QStringLiteral("|E&xit||&1 /data/c.sor|"));
  frame->SetRecentFiles({});
  EXPECT_EQ(tail(), QStringLiteral("|E&xit||Recent Files|"));
  EXPECT_FALSE(file->actions()[file->actions().size() - 2]->isEnabled());
}

TEST_F(MainFrameTest, ResizingLaysThePanesOutAgainUnlessMinimised) {
  frame->show();
  relayouts = 0;
  frame->resize(800, 600);
  QApplication::processEvents();
  EXPECT_GT(relayouts, 0);

  frame->setWindowState(Qt::WindowMinimized);
  relayouts = 0;
  QResizeEvent shrink(QSize(10, 10), frame->size());
  QApplication::sendEvent(frame.get(), &shrink);
  EXPECT_EQ(relayouts, 0);

  frame->setWindowState(Qt::WindowNoState);
  EXPECT_GT(relayouts, 0);
}

TEST_F(MainFrameTest, AKeyThatIssuesACommandOnlyClosesTheSplash) {
  lumivane::test::TempDir dir;
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(QString::fromStdString(dir.Path(CSplashWnd::kPictureName)), "BMP"));
  int zooms = 0;
  commands.Bind(CmdZoomInHorizontally, [&] { ++zooms; });
  commands.UpdatePass();
  frame->show();
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  QTest::keyClick(frame.get(), Qt::Key_A);
  ASSERT_EQ(zooms, 1);
  CSplashWnd::EnableSplash(true);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  CSplashWnd::ShowSplash(frame.get());
  std::filesystem::current_path(previous);
  ASSERT_NE(CSplashWnd::Current(), nullptr);
  // As on a desktop where the picture does not take the focus.
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));

  QTest::keyClick(frame.get(), Qt::Key_A);
  EXPECT_EQ(zooms, 1);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
  EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  QTest::keyClick(frame.get(), Qt::Key_A);
  EXPECT_EQ(zooms, 2);
  CSplashWnd::EnableSplash(false);
}

TEST(AboutBoxTest, ShowsTheEditionTexts) {
  InitLanguageTable();
  SelectLanguage(BUILD_LANGUAGE);
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About Lumivane"));
  EXPECT_EQ(about.TitleLabel()->text(), QStringLiteral("Lumivane V3.30.007"));
  EXPECT_EQ(about.OkButton()->text(), QStringLiteral("OK"));
  EXPECT_TRUE(about.MiddleLabel()->text().isEmpty());
  EXPECT_TRUE(about.LowerLabel()->text().isEmpty());
}

// Runs `body` with the current folder set to `folder`.
template <typename Body>
void InFolder(const std::filesystem::path& folder, Body body) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  body();
  std::filesystem::current_path(previous);
}

TEST(SplashTest, ShownOnlyWithThePictureAndTheFirstKeyOnlyClosesIt) {
  lumivane::test::TempDir dir;
  QWidget parent;
  CSplashWnd::EnableSplash(true);
  InFolder(dir.path(), [&] { CSplashWnd::ShowSplash(&parent); });
  EXPECT_EQ(CSplashWnd::Current(), nullptr);

  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(QString::fromStdString(dir.Path(CSplashWnd::kPictureName)), "BMP"));
  InFolder(dir.path(), [&] { CSplashWnd::ShowSplash(&parent); });
  ASSERT_NE(CSplashWnd::Current(), nullptr);
  EXPECT_EQ(CSplashWnd::Current()->size(), QSize(40, 30));

  int keysSeen = 0;
  struct KeyCounter : QWidget {
    int* seen;
    explicit KeyCounter(int* s) : seen(s) {}
    void keyPressEvent(QKeyEvent*) override { ++*seen; }
  } target(&keysSeen);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(&target, &press);
  EXPECT_EQ(keysSeen, 0);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
  QApplication::sendEvent(&target, &press);
  EXPECT_EQ(keysSeen, 1);
  CSplashWnd::EnableSplash(false);
}

}  // namespace
