// "Save first?" before a command replaces the current trace: Cancel leaves everything as it was, a
// yes or no lets the command run once, without asking twice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "platform/path_util.h"
#include "vocabulary/command_ids.h"

namespace {

using lumivane::Reply;

enum class Command { Close, SwitchToFirst, FileOpen, AddTrace };

// What a command could change: the list and its order, the offsets, the document and the modes.
struct Snapshot {
  std::vector<std::string> list;
  std::vector<double> offsets;
  std::string current;
  double currentOffset = 0.0;
  bool modified = false;
  int traceCount = 0, singleTraceMode = 0, replaceOnOpen = 0, traceSwapped = 0, eventCount = 0;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const COtdrApp& app) {
  Snapshot s;
  for (const auto& r : app.m_TraceList) {
    s.list.emplace_back(lumivane::FileNameOf(r->m_strPath));
    s.offsets.push_back(r->m_dOffsetDb);
  }
  const COtdrDoc& doc = *app.m_pDocument;
  s.current = lumivane::FileNameOf(doc.m_strTracePath);
  s.currentOffset = doc.m_dCurrentOffsetDb;
  s.modified = doc.IsModified();
  s.traceCount = g_DisplayState.TraceCount;
  s.singleTraceMode = g_DisplayState.SingleTraceMode;
  s.replaceOnOpen = app.m_bReplaceOnOpen;
  s.traceSwapped = g_DisplayState.TraceSwapped;
  s.eventCount = doc.m_nEventCount;
  return s;
}

void RunCommand(COtdrApp& app, Command command) {
  switch (command) {
    case Command::Close: app.Commands().Execute(CmdCloseCurrentTrace); break;
    case Command::SwitchToFirst: app.Commands().Execute(CmdTrace1); break;
    case Command::FileOpen: app.OnFileOpen(); break;
    case Command::AddTrace: app.OnAddTrace(); break;
  }
}

struct SaveFirstCase {
  const char* title;
  Command command;
  std::vector<std::string> listAfterNo;  // what the command does once the user declines to save
  std::string currentAfterNo;
};

void PrintTo(const SaveFirstCase& c, std::ostream* os) { *os << c.title; }

class SaveFirstTest : public ::testing::TestWithParam<SaveFirstCase> {
 protected:
  // Three traces in the overlay, c.sor current, with offsets of their own and unsaved changes.
  COtdrApp& StartWithModifiedOverlay() {
    for (const char* name : {"a.sor", "b.sor", "c.sor", "d.sor"}) env_.WriteTrace(name);
    app_ = env_.Start();
    app_->SetFileChooser([this](FileChoice) { return std::optional<std::string>(env_.dir().Path(chosen_)); });
    for (const char* name : {"a.sor", "b.sor", "c.sor"}) {
      chosen_ = name;
      app_->OnAddTrace();
    }
    chosen_ = "d.sor";
    app_->Commands().UpdatePass();
    for (std::size_t i = 0; i < app_->m_TraceList.size(); ++i) app_->m_TraceList[i]->m_dOffsetDb = 0.5 * double(i + 1);
    app_->m_pDocument->m_dCurrentOffsetDb = 1.5;
    app_->m_pDocument->SetModifiedFlag(true);
    env_.sink().Clear();
    return *app_;
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
  std::string chosen_;
};

TEST_P(SaveFirstTest, CancelChangesNothingAndNoRunsTheCommandOnce) {
  const SaveFirstCase& c = GetParam();
  COtdrApp& app = StartWithModifiedOverlay();
  ASSERT_EQ(Take(app).list, (std::vector<std::string>{"a.sor", "b.sor", "c.sor"}));
  int saves = 0;
  app.m_pDocument->BindSave([&] { return ++saves, true; });

  const Snapshot before = Take(app);
  env_.sink().ScriptReplies({Reply::Cancel});
  RunCommand(app, c.command);
  EXPECT_EQ(env_.sink().questions().size(), 1u);
  EXPECT_TRUE(Take(app) == before) << "a cancelled command changed something";
  EXPECT_TRUE(app.m_pDocument->IsModified());

  // The user changes their mind: declined, the command runs and asks no second time.
  env_.sink().ScriptReplies({Reply::No});
  RunCommand(app, c.command);
  EXPECT_EQ(env_.sink().questions().size(), 2u);
  const Snapshot after = Take(app);
  EXPECT_EQ(after.list, c.listAfterNo);
  EXPECT_EQ(after.current, c.currentAfterNo);
  EXPECT_FALSE(after.modified);
  EXPECT_EQ(saves, 0);
  EXPECT_TRUE(env_.sink().MessageTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    SaveFirst, SaveFirstTest,
    ::testing::Values(SaveFirstCase{"CloseCurrentTrace", Command::Close, {"a.sor", "b.sor"}, "b.sor"},
                      SaveFirstCase{"SwitchTrace", Command::SwitchToFirst, {"c.sor", "b.sor", "a.sor"}, "a.sor"},
                      SaveFirstCase{"FileOpen", Command::FileOpen, {"d.sor"}, "d.sor"},
                      SaveFirstCase{"AddTrace", Command::AddTrace, {"a.sor", "b.sor", "c.sor", "d.sor"}, "d.sor"}),
    [](const ::testing::TestParamInfo<SaveFirstCase>& info) { return std::string(info.param.title); });

TEST(SaveFirstQuitTest, AfterACancelledCloseQuittingStillOffersToSaveTheTraceThatIsShown) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("a.sor");
  COtdrApp* app = env.Start({path});
  ASSERT_NE(app, nullptr);
  app->Commands().UpdatePass();
  app->m_pDocument->SetModifiedFlag(true);
  env.sink().ScriptReplies({Reply::Cancel});
  app->Commands().Execute(CmdCloseCurrentTrace);
  ASSERT_EQ(app->m_TraceList.size(), 1u);
  EXPECT_EQ(app->m_pDocument->m_strTracePath, path);
  EXPECT_TRUE(app->m_pDocument->HasTrace());

  env.sink().ScriptReplies({Reply::Cancel});
  EXPECT_FALSE(app->m_pDocument->CanCloseFrame());
  ASSERT_EQ(env.sink().questions().size(), 2u);
  EXPECT_NE(env.sink().questions()[1].text.find("a.sor"), std::string::npos);
}

}  // namespace
