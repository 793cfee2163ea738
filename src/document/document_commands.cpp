#include "document/document_commands.h"

#include <algorithm>

bool InDocMessageMap(int id, DocCommandKind kind) {
  return std::any_of(kDocMessageMap.begin(), kDocMessageMap.end(),
                     [&](const DocMessageMapEntry& e) { return e.id == id && e.kind == kind; });
}

bool DocumentCommands::BindCommand(int id, Handler handler) {
  if (!handler || !InDocMessageMap(id, DocCommandKind::Command)) return false;
  m_handlers[id] = std::move(handler);
  return true;
}

bool DocumentCommands::BindUpdate(int id, UpdateRule rule) {
  if (!rule || !InDocMessageMap(id, DocCommandKind::Update)) return false;
  m_rules[id] = std::move(rule);
  return true;
}

bool DocumentCommands::Serves(int id) const { return m_handlers.contains(id) || m_rules.contains(id); }

bool DocumentCommands::IsEnabled(int id) const {
  // A command the document serves itself stays greyed until its handler exists, whatever its
  // rule says: an enabled menu item that does nothing would look like a success.
  if (InDocMessageMap(id, DocCommandKind::Command) && !m_handlers.contains(id)) return false;
  if (const auto rule = m_rules.find(id); rule != m_rules.end()) return rule->second();
  return m_handlers.contains(id);
}

bool DocumentCommands::Execute(int id) const {
  const auto handler = m_handlers.find(id);
  if (handler == m_handlers.end() || !IsEnabled(id)) return false;
  handler->second();
  return true;
}
