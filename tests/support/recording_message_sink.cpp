#include "recording_message_sink.h"

namespace lumivane::test {

void RecordingMessageSink::ShowMessage(std::string_view text, MessageIcon icon) {
  messages_.push_back({std::string(text), icon});
}

Reply RecordingMessageSink::Ask(std::string_view text, QuestionButtons buttons) {
  Reply reply = hasDefault_ ? default_ : DismissReply(buttons);
  if (!script_.empty()) {
    reply = script_.front();
    script_.pop_front();
  }
  questions_.push_back({std::string(text), buttons, reply});
  return reply;
}

void RecordingMessageSink::ScriptReplies(std::initializer_list<Reply> replies) {
  script_.insert(script_.end(), replies.begin(), replies.end());
}

void RecordingMessageSink::SetDefaultReply(Reply reply) {
  hasDefault_ = true;
  default_ = reply;
}

std::vector<std::string> RecordingMessageSink::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Message& m : messages_) texts.push_back(m.text);
  return texts;
}

void RecordingMessageSink::Clear() {
  messages_.clear();
  questions_.clear();
  script_.clear();
  hasDefault_ = false;
}

}  // namespace lumivane::test
