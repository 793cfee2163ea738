#include "platform/message_sink.h"

#include <gtest/gtest.h>

#include "recording_message_sink.h"

using namespace lumivane;
using lumivane::test::RecordingMessageSink;

TEST(MessageSink, WithoutASinkTextsGoToStderrAndQuestionsChangeNothing) {
  ::testing::internal::CaptureStderr();
  ShowMessage("Can't find file !", MessageIcon::Error);
  const Reply yesNo = Ask("Delete the Event ?", QuestionButtons::YesNo);
  const Reply yesNoCancel = Ask("Save changes?", QuestionButtons::YesNoCancel);
  const Reply okCancel = Ask("Go on?", QuestionButtons::OkCancel);
  const std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(yesNo, Reply::No);
  EXPECT_EQ(yesNoCancel, Reply::Cancel);
  EXPECT_EQ(okCancel, Reply::Cancel);
  EXPECT_NE(written.find("error: Can't find file !"), std::string::npos) << written;
  EXPECT_NE(written.find("Delete the Event ?"), std::string::npos) << written;
}

TEST(MessageSink, ScopedSinksNestAndRestore) {
  MessageSink* const fallback = &CurrentMessageSink();
  RecordingMessageSink outer;
  {
    ScopedMessageSink installOuter(outer);
    RecordingMessageSink inner;
    {
      ScopedMessageSink installInner(inner);
      ShowMessage("inner");
    }
    ShowMessage("outer", MessageIcon::Warning);
    EXPECT_EQ(inner.MessageTexts(), std::vector<std::string>{"inner"});
  }
  EXPECT_EQ(&CurrentMessageSink(), fallback);
  ASSERT_EQ(outer.messages().size(), 1u);
  EXPECT_EQ(outer.messages()[0].text, "outer");
  EXPECT_EQ(outer.messages()[0].icon, MessageIcon::Warning);
}

TEST(RecordingMessageSink, AnswersTheScriptThenTheDefault) {
  RecordingMessageSink sink;
  ScopedMessageSink install(sink);
  sink.ScriptReplies({Reply::Yes, Reply::Cancel});
  EXPECT_EQ(Ask("a.sor \nFormat Error \n   Continue ?   ", QuestionButtons::YesNo), Reply::Yes);
  EXPECT_EQ(Ask("Save changes to a.sor?", QuestionButtons::YesNoCancel), Reply::Cancel);
  // Script used up: each question's own dismiss reply.
  EXPECT_EQ(Ask("third", QuestionButtons::YesNo), Reply::No);
  EXPECT_EQ(Ask("fourth", QuestionButtons::OkCancel), Reply::Cancel);
  sink.SetDefaultReply(Reply::Yes);
  EXPECT_EQ(Ask("fifth", QuestionButtons::YesNo), Reply::Yes);

  ASSERT_EQ(sink.questions().size(), 5u);
  EXPECT_EQ(sink.questions()[0].text, "a.sor \nFormat Error \n   Continue ?   ");
  EXPECT_EQ(sink.questions()[1].buttons, QuestionButtons::YesNoCancel);
  EXPECT_EQ(sink.questions()[2].reply, Reply::No);
  EXPECT_TRUE(sink.messages().empty());
}
