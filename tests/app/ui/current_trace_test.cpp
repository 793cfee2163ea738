// The current trace is one state: the trace the document holds is the one the title names, whose
// trace button shows pressed, that "save first?" names and that Close removes, whatever the user
// did before: File Open, Add trace and the trace buttons in any order. Driven through the program's
// own commands, on files the test writes and, when OTDR_SAMPLE_DIR names them, on real files.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/otdr_doc.h"
#include "interop/sample_files.h"
#include "panes/trace_values.h"
#include "panes/ui/otdr_table_view.h"
#include "platform/path_util.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"

namespace {

using lumivane::Reply;
using lumivane::test::Settle;

// The four files of the trials, under the names of the real files they stand for.
constexpr const char* kM200 = "M200_Sample_005_S13.sor";
constexpr const char* kDemo = "demo_ab.sor";
constexpr const char* kExample2 = "example2-exfo-maxtester730c.sor";
constexpr const char* kLowDr = "sample1310_lowDR.sor";

enum class Source { Fixture, Samples };

enum class Op { Open, Add, TraceButton, LinkMap };
struct Step {
  Op op;
  const char* name = nullptr;  // the file chosen by Open and Add
  int button = 0;              // the trace button pressed
};
Step Open(const char* name) { return {Op::Open, name}; }
Step Add(const char* name) { return {Op::Add, name}; }
Step Button(int k) { return {Op::TraceButton, nullptr, k}; }

// What the user sees of the current trace: the listed files, the one the document holds, the
// pressed trace button (0: none) and the main window's title.
struct Shown {
  std::vector<std::string> list;
  std::string current;
  int pressed = 0;
  std::string title;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* os) {
  *os << "list {";
  for (const std::string& name : s.list) *os << name << ' ';
  *os << "} current " << s.current << ", button " << s.pressed << ", title \"" << s.title << '"';
}

// A step and what it shows (the list as it stands, the current trace drawn last; titles are filled
// in from the current trace).
struct Checked {
  Step step;
  Shown after;
};

struct Trial {
  const char* title;
  std::vector<Checked> steps;
  Shown afterClose;
};

struct Case {
  Trial trial;
  Source source;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.trial.title << (c.source == Source::Samples ? " on the sample files" : "");
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class CurrentTraceTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (GetParam().source == Source::Samples) SKIP_WITHOUT_SAMPLES();
    for (const char* name : {kM200, kDemo, kExample2, kLowDr}) {
      if (GetParam().source == Source::Fixture) {
        env_.WriteTrace(name);
      } else {
        // Copies in the test's own folder: whatever the program writes never reaches the originals.
        std::filesystem::copy_file(lumivane::test::SampleDir() + "/" + name, env_.dir().Path(name));
      }
    }
    app_ = env_.Start();
    ASSERT_NE(app_, nullptr);
    app_->SetFileChooser([this](FileChoice) { return std::optional<std::string>(env_.dir().Path(chosen_)); });
  }

  void Run(const Step& step) {
    switch (step.op) {
      case Op::Open:
      case Op::Add:
        chosen_ = step.name;
        ASSERT_TRUE(app_->Commands().Execute(step.op == Op::Open ? CmdFileOpen : CmdAddTrace));
        break;
      case Op::TraceButton: ASSERT_TRUE(app_->Commands().Execute(CmdTrace1 + step.button - 1)); break;
      case Op::LinkMap: ASSERT_TRUE(app_->Commands().Execute(CmdLinkMap)); break;
    }
    Settle();
  }

  // Delete Event on the second row of the current trace's table, from the Event Table pane.
  void DeleteSecondRow() {
    app_->MainFrame()->MdiArea()->setActiveSubWindow(app_->PaneFrame(PaneKind::EventTable));
    qobject_cast<COtdrTableView*>(app_->PaneFrame(PaneKind::EventTable)->widget())->SetSelectionMark(1);
    env_.sink().ScriptReplies({Reply::Yes});
    app_->Commands().UpdatePass();
    ASSERT_TRUE(app_->Commands().Execute(CmdDeleteEvent));
    ASSERT_TRUE(app_->m_pDocument->IsModified());
    Settle();
  }

  Shown Now() const {
    Shown s;
    for (const auto& record : app_->m_TraceList) s.list.emplace_back(lumivane::FileNameOf(record->m_strPath));
    const COtdrDoc& doc = *app_->m_pDocument;
    if (doc.HasTrace()) s.current = std::string(lumivane::FileNameOf(doc.m_strTracePath));
    for (int k = 1; k <= 4; ++k) {
      if (app_->Commands().Action(CmdTrace1 + k - 1)->isChecked()) s.pressed = s.pressed == 0 ? k : -1;
    }
    s.title = app_->MainFrame()->windowTitle().toStdString();
    return s;
  }

  // `s` with the title the main window shows for its current trace.
  Shown WithTitle(Shown s) {
    s.title = "Lumivane - [" + (s.current.empty() ? std::string(" No use this name ") : env_.dir().Path(s.current)) + "]";
    return s;
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
  std::string chosen_;
};

TEST_P(CurrentTraceTest, CloseClosesTheTraceThatIsShownAndNamedAndPressed) {
  const Trial& trial = GetParam().trial;
  for (const Checked& checked : trial.steps) {
    Run(checked.step);
    ASSERT_EQ(Now(), WithTitle(checked.after)) << "after step " << &checked - trial.steps.data() + 1;
  }
  const Shown beforeClose = WithTitle(trial.steps.back().after);

  // An edit on the current trace: closing it asks about that trace alone.
  const std::string closing = beforeClose.current;
  const std::vector<std::uint8_t> stored = FileBytes(env_.dir().Path(closing));
  DeleteSecondRow();
  const int eventsEdited = app_->m_pDocument->m_nEventCount;
  int saves = 0;
  app_->m_pDocument->BindSave([&saves] { return ++saves, true; });
  env_.sink().Clear();

  env_.sink().ScriptReplies({Reply::Cancel});
  ASSERT_TRUE(app_->Commands().Execute(CmdCloseCurrentTrace));
  Settle();
  ASSERT_EQ(env_.sink().questions().size(), 1u);
  EXPECT_NE(env_.sink().questions()[0].text.find(closing), std::string::npos) << env_.sink().questions()[0].text;
  EXPECT_EQ(Now(), beforeClose) << "a cancelled close changed something";
  EXPECT_TRUE(app_->m_pDocument->IsModified());
  EXPECT_EQ(app_->m_pDocument->m_nEventCount, eventsEdited) << "a cancelled close dropped the edit";

  env_.sink().ScriptReplies({Reply::No});
  ASSERT_TRUE(app_->Commands().Execute(CmdCloseCurrentTraceButton));
  Settle();
  ASSERT_EQ(env_.sink().questions().size(), 2u);
  EXPECT_NE(env_.sink().questions()[1].text.find(closing), std::string::npos) << env_.sink().questions()[1].text;
  EXPECT_EQ(Now(), WithTitle(trial.afterClose));
  EXPECT_FALSE(app_->m_pDocument->IsModified());
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(FileBytes(env_.dir().Path(closing)), stored) << "declined, the edit never reaches the file";
  EXPECT_TRUE(env_.sink().MessageTexts().empty());

  // The trace left alone reads as a File Open of it reads: the markers are its own, not the closed
  // trace's.
  if (trial.afterClose.list.size() == 1) {
    const auto readings = MarkerReadingTexts(*app_->m_pDocument, kLengthUnits[0]);
    Run(Open(trial.afterClose.current.c_str()));
    EXPECT_EQ(MarkerReadingTexts(*app_->m_pDocument, kLengthUnits[0]), readings);
  }
}

Shown Showing(std::vector<std::string> list, std::string current, int pressed) {
  return {std::move(list), std::move(current), pressed, {}};
}

// The first steps of most trials: two traces, the first one made current again.
const std::vector<Checked> kTwoThenFirst = {
    {Open(kM200), Showing({kM200}, kM200, 0)},
    {Add(kDemo), Showing({kM200, kDemo}, kDemo, 2)},
    {Button(1), Showing({kDemo, kM200}, kM200, 1)},
};

std::vector<Checked> TwoThenFirstAnd(std::vector<Checked> more) {
  std::vector<Checked> steps = kTwoThenFirst;
  steps.insert(steps.end(), more.begin(), more.end());
  return steps;
}

const std::vector<Trial> kTrials = {
    {"AfterAFileOpenAndAnAdd",
     TwoThenFirstAnd({{Open(kExample2), Showing({kExample2}, kExample2, 0)},
                      {Add(kLowDr), Showing({kExample2, kLowDr}, kLowDr, 2)}}),
     Showing({kExample2}, kExample2, 1)},
    {"AfterTrace2", TwoThenFirstAnd({{Button(2), Showing({kM200, kDemo}, kDemo, 2)}}), Showing({kM200}, kM200, 1)},
    {"AfterAFileOpen", TwoThenFirstAnd({{Open(kExample2), Showing({kExample2}, kExample2, 0)}}), Showing({}, "", 0)},
    {"AfterTrace1OnANewList",
     TwoThenFirstAnd({{Open(kExample2), Showing({kExample2}, kExample2, 0)},
                      {Add(kLowDr), Showing({kExample2, kLowDr}, kLowDr, 2)},
                      {Button(1), Showing({kLowDr, kExample2}, kExample2, 1)}}),
     Showing({kLowDr}, kLowDr, 1)},
    // The link map marks the list as out of order without exchanging anything.
    {"AfterTheLinkMap",
     {{Open(kM200), Showing({kM200}, kM200, 0)},
      {Add(kDemo), Showing({kM200, kDemo}, kDemo, 2)},
      {Add(kLowDr), Showing({kM200, kDemo, kLowDr}, kLowDr, 3)},
      {Button(1), Showing({kLowDr, kDemo, kM200}, kM200, 1)},
      {Button(3), Showing({kM200, kDemo, kLowDr}, kLowDr, 3)},
      {{Op::LinkMap}, Showing({kM200, kDemo, kLowDr}, kLowDr, 3)}},
     Showing({kM200, kDemo}, kDemo, 2)},
};

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  for (const Source source : {Source::Fixture, Source::Samples}) {
    for (const Trial& trial : kTrials) cases.push_back({trial, source});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(CurrentTrace, CurrentTraceTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.trial.title) +
                                  (info.param.source == Source::Samples ? "OnSamples" : "");
                         });

}  // namespace
