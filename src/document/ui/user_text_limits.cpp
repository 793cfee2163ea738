#include "document/ui/user_text_limits.h"

#include <QLineEdit>

#include "platform/message_sink.h"
#include "platform/number_format.h"

void ShowWholeText(QLineEdit& edit, const QString& text) {
  if (text.size() > edit.maxLength()) edit.setMaxLength(static_cast<int>(text.size()));
  edit.setText(text);
}

bool CheckTextLimit(QLineEdit& edit, int limit) {
  if (edit.text().size() <= limit) return true;
  lumivane::ShowMessage(lumivane::Format("Enter no more than %d characters.", limit), lumivane::MessageIcon::Warning);
  edit.setFocus();
  edit.selectAll();
  return false;
}
