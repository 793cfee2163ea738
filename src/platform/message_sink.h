#pragma once
// Every message box and modal question of the program goes through one injectable sink, so plain C++
// code can report to the user without a widget library and tests never block on a dialog.
#include <string_view>

namespace lumivane {

/// The icon shown beside a message.
enum class MessageIcon { Information, Warning, Error };

/// The button set of a question.
enum class QuestionButtons { YesNo, YesNoCancel, OkCancel };

/// The button the user chose.
enum class Reply { Yes, No, Ok, Cancel };

/// The reply a question gets when the user closes it without choosing (Escape, the close box).
Reply DismissReply(QuestionButtons buttons);

/// Shows messages and asks questions, modally, on the user-interface thread.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// Shows a UTF-8 text with an OK button and returns once it is dismissed.
  virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
  /// Asks a UTF-8 question with the given buttons and returns the reply.
  virtual Reply Ask(std::string_view text, QuestionButtons buttons) = 0;
};

/// The sink in use: the one installed last, or a sink that writes to stderr and answers DismissReply.
MessageSink& CurrentMessageSink();

/// Installs a sink for the whole process (null restores the stderr sink); returns the previous one.
MessageSink* InstallMessageSink(MessageSink* sink);

/// Shows a message through the current sink.
void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::Information);

/// Asks a question through the current sink.
Reply Ask(std::string_view text, QuestionButtons buttons);

/// Installs a sink for the lifetime of this object and then restores the previous one.
class ScopedMessageSink {
 public:
  explicit ScopedMessageSink(MessageSink& sink) : m_previous(InstallMessageSink(&sink)) {}
  ~ScopedMessageSink() { InstallMessageSink(m_previous); }
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

 private:
  MessageSink* m_previous;
};

}  // namespace lumivane
