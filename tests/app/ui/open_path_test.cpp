#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/ui/open_file_dlg.h"
#include "platform/path_util.h"
#include "platform/ui/length_unit_setting.h"
#include "sor/sor_block_parsers.h"
#include "sor_image_builder.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::Reply;

// One step of a scenario: what the user does, with the file name it names and the replies the
// user gives to the questions that step asks.
struct Step {
  enum Kind { Open, FileOpen, AddTrace, Modify } kind;
  std::string name;
  std::vector<Reply> replies = {};
};

struct OpenCase {
  const char* title;
  std::vector<Step> steps;
  std::vector<std::string> list;      // file names in list order
  std::vector<int> colours;           // their colour indices
  std::string current;                // file name of the document's trace
  std::vector<std::string> messages;  // texts shown, in order
  int questions = 0;                  // save prompts asked
  int saves = 0;                      // saves run
  bool modified = false;              // the document's modified flag at the end
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.title; }

const std::string kNotBellcore = "Not Bellcore File !";
const std::string kMaxTrace = "Open Max Trace is 4";
// The message names the missing file; its folder, the test's own, is left out here.
const std::string kCantFind = "Can't find file !\n";

class OpenPathTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenPathTest, Scenario) {
  const OpenCase& c = GetParam();
  lumivane::test::AppTestEnv env;
  for (const char* name : {"a.sor", "b.sor", "c.sor", "d.sor", "e.sor", "Mixed.SOR", "f.sor.trc"}) {
    env.WriteTrace(name);
  }
  env.dir().WriteFile("bad.sor", std::string_view(""));
  COtdrApp* app = env.Start();
  ASSERT_NE(app, nullptr);
  int saves = 0;
  app->m_pDocument->BindSave([&] {
    ++saves;
    return true;
  });
  std::string chosen;
  app->SetFileChooser([&](FileChoice) { return std::optional<std::string>(chosen); });
  env.sink().Clear();

  for (const Step& step : c.steps) {
    for (Reply r : step.replies) env.sink().ScriptReplies({r});
    const std::string path = env.dir().Path(step.name);
    switch (step.kind) {
      case Step::Open: app->OpenDocumentFile(path); break;
      case Step::FileOpen: chosen = path; app->OnFileOpen(); break;
      case Step::AddTrace: chosen = path; app->OnAddTrace(); break;
      case Step::Modify: app->m_pDocument->SetModifiedFlag(true); break;
    }
  }

  std::vector<std::string> list;
  std::vector<int> colours;
  for (const auto& r : app->m_TraceList) {
    list.emplace_back(lumivane::FileNameOf(r->m_strPath));
    colours.push_back(r->m_nColourIndex);
  }
  EXPECT_EQ(list, c.list);
  EXPECT_EQ(colours, c.colours);
  EXPECT_EQ(g_DisplayState.TraceCount, static_cast<int>(c.list.size()));
  EXPECT_EQ(std::string(lumivane::FileNameOf(app->m_pDocument->m_strTracePath)), c.current);
  std::vector<std::string> messages = env.sink().MessageTexts();
  const std::string folder = env.dir().Path("");
  for (std::string& text : messages) {
    if (const std::size_t at = text.find(folder); at != std::string::npos) text.erase(at, folder.size());
  }
  EXPECT_EQ(messages, c.messages);
  EXPECT_EQ(static_cast<int>(env.sink().questions().size()), c.questions);
  EXPECT_EQ(saves, c.saves);
  EXPECT_EQ(app->m_pDocument->IsModified(), c.modified);
}

const std::vector<Step> kFourTraces{{Step::Open, "a.sor"}, {Step::Open, "b.sor"}, {Step::Open, "c.sor"},
                                    {Step::Open, "d.sor"}};

std::vector<Step> FourThen(Step last) {
  std::vector<Step> steps = kFourTraces;
  steps.push_back(std::move(last));
  return steps;
}

INSTANTIATE_TEST_SUITE_P(
    OpenPath, OpenPathTest,
    ::testing::Values(
        OpenCase{"NotSor", {{Step::Open, "a.sor"}, {Step::Open, "f.sor.trc"}}, {"a.sor"}, {0}, "a.sor",
                 {kNotBellcore}},
        OpenCase{"CaseKept", {{Step::Open, "Mixed.SOR"}}, {"Mixed.SOR"}, {0}, "Mixed.SOR", {}},
        OpenCase{"FifthTrace", FourThen({Step::Open, "e.sor"}), {"a.sor", "b.sor", "c.sor", "d.sor"},
                 {0, 1, 2, 3}, "d.sor", {kMaxTrace}},
        OpenCase{"FifthTraceByFileOpen", FourThen({Step::FileOpen, "e.sor"}),
                 {"a.sor", "b.sor", "c.sor", "d.sor"}, {0, 1, 2, 3}, "d.sor", {kMaxTrace}},
        OpenCase{"ReopenMovesToTheTailWithItsColour",
                 {{Step::Open, "a.sor"}, {Step::Open, "b.sor"}, {Step::Open, "c.sor"}, {Step::Open, "b.sor"}},
                 {"a.sor", "c.sor", "b.sor"}, {0, 2, 1}, "b.sor", {}},
        OpenCase{"ReopenWithFourListedIsRefused", FourThen({Step::Open, "b.sor"}),
                 {"a.sor", "b.sor", "c.sor", "d.sor"}, {0, 1, 2, 3}, "d.sor", {kMaxTrace}},
        OpenCase{"SavePromptYes",
                 {{Step::Open, "a.sor"}, {Step::Modify, ""}, {Step::Open, "b.sor", {Reply::Yes}}},
                 {"a.sor", "b.sor"}, {0, 1}, "b.sor", {}, 1, 1},
        OpenCase{"SavePromptNo",
                 {{Step::Open, "a.sor"}, {Step::Modify, ""}, {Step::Open, "b.sor", {Reply::No}}},
                 {"a.sor", "b.sor"}, {0, 1}, "b.sor", {}, 1, 0},
        OpenCase{"SavePromptCancel",
                 {{Step::Open, "a.sor"}, {Step::Modify, ""}, {Step::Open, "b.sor", {Reply::Cancel}}},
                 {"a.sor"}, {0}, "a.sor", {}, 1, 0, true},
        OpenCase{"FileOpenReplacesAndColoursRunOn",
                 {{Step::AddTrace, "a.sor"}, {Step::AddTrace, "b.sor"}, {Step::FileOpen, "c.sor"}},
                 {"c.sor"}, {2}, "c.sor", {}},
        OpenCase{"AddTraceAddsAfterFileOpen",
                 {{Step::FileOpen, "a.sor"}, {Step::AddTrace, "b.sor"}, {Step::AddTrace, "c.sor"}},
                 {"a.sor", "b.sor", "c.sor"}, {0, 1, 2}, "c.sor", {}},
        OpenCase{"FileOpenAsksOnceAndCancelKeepsEverything",
                 {{Step::Open, "a.sor"}, {Step::Modify, ""}, {Step::FileOpen, "b.sor", {Reply::Cancel}}},
                 {"a.sor"}, {0}, "a.sor", {}, 1, 0, true},
        OpenCase{"DeclinedChangesStayMarkedWhenTheFileIsMissing",
                 {{Step::Open, "a.sor"}, {Step::Modify, ""}, {Step::FileOpen, "zz", {Reply::No}}},
                 {"a.sor"}, {0}, "a.sor", {kCantFind + "zz"}, 1, 0, true},
        OpenCase{"DeclinedChangesStayMarkedWhenTheFileIsUnreadable",
                 {{Step::Open, "a.sor"}, {Step::Modify, ""}, {Step::Open, "bad.sor", {Reply::No}}},
                 {"a.sor"}, {0}, "a.sor", {"Read file failed !"}, 1, 0, true},
        OpenCase{"FileOpenTriesTheTypedNameWithSuffixes", {{Step::FileOpen, "c"}}, {"c.sor"}, {0}, "c.sor", {}},
        OpenCase{"FileOpenOfAMissingName", {{Step::Open, "a.sor"}, {Step::FileOpen, "zz"}}, {"a.sor"}, {0},
                 "a.sor", {kCantFind + "zz"}},
        OpenCase{"FileOpenOfANameThatExistsOnlyAsTrc", {{Step::Open, "a.sor"}, {Step::FileOpen, "f.sor"}},
                 {"a.sor"}, {0}, "a.sor", {kNotBellcore}},
        OpenCase{"FailedReadInReplaceModeKeepsTheList",
                 {{Step::AddTrace, "a.sor"}, {Step::AddTrace, "b.sor"}, {Step::FileOpen, "bad.sor"}},
                 {"a.sor", "b.sor"}, {0, 1}, "b.sor", {"Read file failed !"}},
        OpenCase{"MissingFileKeepsTheReopenedEntry",
                 {{Step::Open, "a.sor"}, {Step::Open, "b.sor"}, {Step::Open, "gone.sor"}}, {"a.sor", "b.sor"},
                 {0, 1}, "b.sor", {kCantFind + "gone.sor"}}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.title); });

TEST(OpenPathQuotesTest, AQuotedPathOpensTheFileItNames) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("a.sor");
  COtdrApp* app = env.Start();
  ASSERT_NE(app->OpenDocumentFile("\"" + path + "\""), nullptr);
  EXPECT_EQ(app->m_pDocument->m_strTracePath, path);
  EXPECT_EQ(app->MainFrame()->windowTitle().toStdString(), "Lumivane - [" + path + "]");
  EXPECT_EQ(app->RecentFiles().Paths(), std::vector<std::string>{path});
}

TEST(OpenPathFailureTest, AFailedReadLeavesTheDocumentAndItsEventsAsTheyWere) {
  lumivane::test::AppTestEnv env;
  const std::string good = env.WriteTrace("a.sor");
  const std::string bad = env.dir().WriteFile("bad.sor", std::string_view(""));
  COtdrApp* app = env.Start({good});
  COtdrDoc& doc = *app->m_pDocument;
  doc.m_nEventCount = 3;
  doc.m_EventRows[0].Distance = 1.5f;
  const auto record = doc.m_SorRecord.FxdParams.GroupIndex;
  app->SetFileChooser([&](FileChoice) { return std::optional<std::string>(bad); });
  app->OnFileOpen();
  EXPECT_EQ(doc.m_strTracePath, good);
  EXPECT_EQ(doc.m_nEventCount, 3);
  EXPECT_EQ(doc.m_EventRows[0].Distance, 1.5f);
  EXPECT_EQ(doc.m_SorRecord.FxdParams.GroupIndex, record);
  EXPECT_EQ(app->m_TraceList.size(), 1u);
  EXPECT_EQ(app->RecentFiles().Paths(), std::vector<std::string>{good});
}

TEST(OpenPathFailureTest, NeitherARefusedNorADamagedFileEntersTheRecentFiles) {
  lumivane::test::AppTestEnv env;
  const std::string good = env.WriteTrace("a.sor");
  const std::string notes = env.dir().WriteFile("notes.sor", std::string(600, 'n'));
  lumivane::test::Bytes truncated = lumivane::test::MakeSampleSorV2({.points = 3000});
  truncated.resize(truncated.size() / 2);
  const std::string damaged = env.dir().WriteFile("damaged.sor", truncated);
  // A key-event count that runs past its block, the file whole.
  lumivane::test::Bytes miscounted = lumivane::test::MakeSampleSorV2({.points = 3000});
  miscounted[static_cast<std::size_t>(FindSorBlock(miscounted, 154, "KeyEvents")) + 10] = 252;
  const std::string badCount = env.dir().WriteFile("bad count.sor", miscounted);
  COtdrApp* app = env.Start({good});
  EXPECT_EQ(app->OpenDocumentFile(notes), nullptr);
  EXPECT_EQ(app->m_pDocument->m_strTracePath, good);
  EXPECT_NE(app->OpenDocumentFile(damaged), nullptr);
  EXPECT_EQ(app->m_pDocument->m_strTracePath, damaged);
  EXPECT_NE(app->OpenDocumentFile(badCount), nullptr);
  EXPECT_EQ(app->m_pDocument->m_strTracePath, badCount);
  EXPECT_EQ(app->RecentFiles().Paths(), std::vector<std::string>{good});
  EXPECT_EQ(env.sink().MessageTexts(),
            (std::vector<std::string>{g_CurrentStrings[TextRow::FileHoldsNoTrace], g_CurrentStrings[TextRow::FileDamaged],
                                      g_CurrentStrings[TextRow::FileDamaged]}));
}

TEST(OpenPathRecentFilesTest, ANameThatIsNotUtf8ComesBackAtTheNextStartAsItsOwnBytes) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("caf\xE9 \xFF.sor");
  COtdrApp* app = env.Start({path});
  ASSERT_EQ(app->RecentFiles().Paths(), std::vector<std::string>{path});
  env.Stop();
  app = env.Start();
  ASSERT_EQ(app->RecentFiles().Paths(), std::vector<std::string>{path});
  EXPECT_NE(app->OpenDocumentFile(app->RecentFiles().Paths().front()), nullptr);
  EXPECT_EQ(app->m_pDocument->m_strTracePath, path);
  EXPECT_TRUE(env.sink().MessageTexts().empty());
}

TEST(OpenPathSwitchTest, AListedTraceIsMadeCurrentWithoutChangingTheList) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  for (const char* n : {"a.sor", "b.sor", "c.sor", "d.sor"}) app->OpenDocumentFile(env.WriteTrace(n));
  g_DisplayState.SwitchingTrace = 1;
  ASSERT_NE(app->OpenTraceByPath(env.dir().Path("b.sor")), nullptr);
  g_DisplayState.SwitchingTrace = 0;
  EXPECT_EQ(app->m_pDocument->m_strTracePath, env.dir().Path("b.sor"));
  ASSERT_EQ(app->m_TraceList.size(), 4u);
  EXPECT_EQ(app->m_TraceList[3]->m_strPath, env.dir().Path("d.sor"));
  EXPECT_EQ(g_DisplayState.TraceCount, 4);
  EXPECT_TRUE(env.sink().MessageTexts().empty());
}

TEST(OpenPathSwapTest, AnOpenPutsSwappedEntriesBackBeforeAddingItsTrace) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  for (const char* n : {"a.sor", "b.sor", "c.sor"}) app->OpenDocumentFile(env.WriteTrace(n));
  const auto names = [&] {
    std::vector<std::string> list;
    for (const auto& r : app->m_TraceList) list.emplace_back(lumivane::FileNameOf(r->m_strPath));
    return list;
  };
  app->SwapTraceEntries(0, 2);
  app->SwapTraceEntries(1, 3);  // no fourth entry: nothing changes
  EXPECT_EQ(names(), (std::vector<std::string>{"c.sor", "b.sor", "a.sor"}));
  EXPECT_EQ(g_DisplayState.TraceSwapped, 1);
  g_DisplayState.SwappedTraceIndex = 0;
  g_DisplayState.SwappedWithIndex = 2;

  ASSERT_NE(app->OpenDocumentFile(env.WriteTrace("d.sor")), nullptr);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.sor", "b.sor", "c.sor", "d.sor"}));
  EXPECT_EQ(g_DisplayState.TraceSwapped, 0);
  EXPECT_EQ(g_DisplayState.TraceOrderRestored, 1);
}

TEST(OpenPathUnitTest, EveryTraceOpenTakesTheStoredUnit) {
  const struct {
    const char* stored;
    const char* unit;
    double factor;
  } cases[] = {{"kft", "kft", 3.280839895}, {"mi", "mi", 0.62137119}, {"xyz", "xyz", 0.62137119}, {"km", "km", 1.0}};
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  const std::string path = env.WriteTrace("a.sor");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ASSERT_TRUE(lumivane::WriteStoredLengthUnit(c.stored));
    ASSERT_NE(app->OpenDocumentFile(path), nullptr);
    EXPECT_EQ(g_LengthUnitName, c.unit);
    EXPECT_DOUBLE_EQ(g_LengthUnitFactor, c.factor);
  }
  ASSERT_TRUE(lumivane::WriteStoredLengthUnit("mi"));
  ASSERT_NE(app->OpenDocumentFile("space"), nullptr);
  EXPECT_EQ(g_LengthUnitName, "km");
}

// Answers the next file dialog once it is up: types `name` into it and accepts, or cancels when
// `name` is empty. Records the filters the dialog offered.
void AnswerNextDialog(const std::string& name, QStringList& filters) {
  QTimer::singleShot(10, [&filters, name] {
    auto* dialog = qobject_cast<CCMyOpenFileDlg*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      AnswerNextDialog(name, filters);
      return;
    }
    filters = dialog->nameFilters();
    if (name.empty()) {
      dialog->reject();
      return;
    }
    // Typed as a user types it: the dialog leaves its name box alone on selectFile while the box
    // has the focus, which depends on the window system.
    auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(box, nullptr);
    box->setText(QString::fromStdString(name));
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

TEST(OpenDialogTest, FileOpenAndAddTraceChooseThroughThePreviewingDialog) {
  lumivane::test::AppTestEnv env;
  const std::string a = env.WriteTrace("a.sor");
  env.WriteTrace("b.sor");
  COtdrApp* app = env.Start();
  QStringList filters;

  AnswerNextDialog(a, filters);
  app->OnFileOpen();
  EXPECT_EQ(filters, (QStringList{"OTDR Files(*.sor)", "所有(*.*)"}));
  EXPECT_EQ(app->m_pDocument->m_strTracePath, a);

  // A typed name without its ending is found with ".sor" appended.
  AnswerNextDialog(env.dir().Path("b"), filters);
  app->OnAddTrace();
  EXPECT_EQ(filters, QStringList{"OTDR Files(*.sor)"});
  EXPECT_EQ(app->m_pDocument->m_strTracePath, env.dir().Path("b.sor"));
  EXPECT_EQ(app->m_TraceList.size(), 2u);

  // Cancelled: nothing opens, but Add trace has switched to adding already.
  app->m_bReplaceOnOpen = 1;
  AnswerNextDialog("", filters);
  app->OnAddTrace();
  EXPECT_EQ(app->m_bReplaceOnOpen, 0);
  EXPECT_EQ(app->m_TraceList.size(), 2u);
  EXPECT_TRUE(env.sink().MessageTexts().empty());
}

TEST(FileNewTest, CreatesAMissingFileAndOpensIt) {
  lumivane::test::AppTestEnv env;
  COtdrApp* app = env.Start();
  std::string chosen = env.dir().Path("new.sor");
  app->SetFileChooser([&](FileChoice choice) {
    EXPECT_EQ(choice, FileChoice::New);
    return std::optional<std::string>(chosen);
  });
  app->OnFileNew();
  EXPECT_TRUE(std::filesystem::exists(chosen));
  EXPECT_EQ(env.sink().MessageTexts(), std::vector<std::string>{"Read file failed !"});

  env.sink().Clear();
  chosen = env.dir().Path("no such folder/new.sor");
  app->OnFileNew();
  EXPECT_EQ(env.sink().MessageTexts(), std::vector<std::string>{"CAN'T CREATE"});
}

}  // namespace
