#pragma once
// A message sink for tests: records every message and question and answers questions from a script,
// so code that asks the user runs to completion without a dialog.
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_sink.h"

namespace lumivane::test {

class RecordingMessageSink final : public MessageSink {
 public:
  struct Message {
    std::string text;
    MessageIcon icon;
  };
  struct Question {
    std::string text;
    QuestionButtons buttons;
    Reply reply;  ///< What the recorder answered.
  };

  void ShowMessage(std::string_view text, MessageIcon icon) override;
  /// Answers the next scripted reply, or the default reply once the script is used up.
  Reply Ask(std::string_view text, QuestionButtons buttons) override;

  /// Appends replies to the script, answered in order.
  void ScriptReplies(std::initializer_list<Reply> replies);
  /// The reply once the script is used up; without one, each question's dismiss reply.
  void SetDefaultReply(Reply reply);

  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<Question>& questions() const { return questions_; }
  /// The texts of the messages in the order shown.
  std::vector<std::string> MessageTexts() const;
  void Clear();

 private:
  std::vector<Message> messages_;
  std::vector<Question> questions_;
  std::deque<Reply> script_;
  bool hasDefault_ = false;
  Reply default_ = Reply::Cancel;
};

}  // namespace lumivane::test
