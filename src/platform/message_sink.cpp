#include "platform/message_sink.h"

#include <atomic>
#include <cstdio>

namespace lumivane {
namespace {

const char* IconWord(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning: return "warning";
    case MessageIcon::Error: return "error";
    case MessageIcon::Information: break;
  }
  return "information";
}

// Used when nothing is installed (command-line tools, early start-up): the text must not be lost,
// and a question must never be answered in a way that changes or discards anything.
class StderrMessageSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon) override {
    std::fprintf(stderr, "lumivane %s: %.*s\n", IconWord(icon), static_cast<int>(text.size()), text.data());
  }
  Reply Ask(std::string_view text, QuestionButtons buttons) override {
    std::fprintf(stderr, "lumivane question: %.*s\n", static_cast<int>(text.size()), text.data());
    return DismissReply(buttons);
  }
};

StderrMessageSink& FallbackSink() {
  static StderrMessageSink sink;
  return sink;
}

std::atomic<MessageSink*> g_InstalledSink{nullptr};

}  // namespace

Reply DismissReply(QuestionButtons buttons) {
  return buttons == QuestionButtons::YesNo ? Reply::No : Reply::Cancel;
}

MessageSink& CurrentMessageSink() {
  MessageSink* sink = g_InstalledSink.load();
  return sink ? *sink : FallbackSink();
}

MessageSink* InstallMessageSink(MessageSink* sink) { return g_InstalledSink.exchange(sink); }

void ShowMessage(std::string_view text, MessageIcon icon) { CurrentMessageSink().ShowMessage(text, icon); }

Reply Ask(std::string_view text, QuestionButtons buttons) { return CurrentMessageSink().Ask(text, buttons); }

}  // namespace lumivane
