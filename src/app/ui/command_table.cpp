#include "app/ui/command_table.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QTimer>

CommandTable::CommandTable(QObject* parent) : QObject(parent) {
  if (qApp != nullptr) qApp->installEventFilter(this);
}

CommandTable::~CommandTable() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

QAction* CommandTable::Action(int id) {
  Entry& entry = m_entries[id];
  if (entry.action == nullptr) {
    entry.action = new QAction(this);
    entry.action->setData(id);
    entry.action->setEnabled(false);
    connect(entry.action, &QAction::triggered, this, [this, id] { Execute(id); });
  }
  return entry.action;
}

void CommandTable::Bind(int id, Handler handler, UpdateRule rule) {
  Action(id);
  Entry& entry = m_entries[id];
  entry.handler = std::move(handler);
  entry.rule = std::move(rule);
  ScheduleUpdate();
}

void CommandTable::Unbind(int id) {
  auto it = m_entries.find(id);
  if (it == m_entries.end()) return;
  it->second.handler = nullptr;
  it->second.rule = nullptr;
  ScheduleUpdate();
}

bool CommandTable::IsBound(int id) const {
  auto it = m_entries.find(id);
  return it != m_entries.end() && it->second.handler != nullptr;
}

CommandUi CommandTable::State(int id) const {
  auto it = m_entries.find(id);
  if (it == m_entries.end() || it->second.handler == nullptr) return EnabledIf(false);
  return it->second.rule ? it->second.rule() : EnabledIf(true);
}

bool CommandTable::Execute(int id) {
  if (!State(id).enabled) {
    UpdatePass();
    return false;
  }
  // Copied, because a handler may rebind its own command.
  const Handler handler = m_entries[id].handler;
  handler();
  UpdatePass();
  return true;
}

void CommandTable::UpdatePass() {
  m_updateScheduled = false;
  for (auto& [id, entry] : m_entries) {
    const CommandUi ui = State(id);
    entry.action->setEnabled(ui.enabled);
    entry.action->setCheckable(ui.checked.has_value());
    if (ui.checked) entry.action->setChecked(*ui.checked);
  }
}

void CommandTable::ScheduleUpdate() {
  if (m_updateScheduled) return;
  m_updateScheduled = true;
  QTimer::singleShot(0, this, [this] {
    if (m_updateScheduled) UpdatePass();
  });
}

bool CommandTable::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::WindowActivate:
    case QEvent::Drop:
      ScheduleUpdate();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}
