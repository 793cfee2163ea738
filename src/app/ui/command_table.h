#pragma once
// One table from command id to its action, its handler and its enable rule. Menus, the toolbar and
// the key bindings share the action of an id; a command nobody has bound yet stays greyed. After
// every command and every user click or key, an update pass asks each rule for its state, the way a
// desktop framework greys its commands when it falls idle.
#include <QObject>
#include <functional>
#include <map>
#include <optional>

class QAction;

/// The state an update rule gives its command.
struct CommandUi {
  bool enabled = true;
  std::optional<bool> checked;  ///< A check mark when set.
};

/// The state of a command that carries no check mark.
inline CommandUi EnabledIf(bool enabled) { return {enabled, std::nullopt}; }

class CommandTable final : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void()>;
  using UpdateRule = std::function<CommandUi()>;

  explicit CommandTable(QObject* parent = nullptr);
  ~CommandTable() override;

  /// The action of `id`, created disabled on first use and owned by the table.
  QAction* Action(int id);

  /// Binds a handler and the rule of its state; replaces an earlier binding. No rule: always enabled.
  void Bind(int id, Handler handler, UpdateRule rule = {});

  /// Removes the binding of `id`; the command is greyed again.
  void Unbind(int id);

  /// Whether a handler is bound to `id`.
  bool IsBound(int id) const;

  /// The state the rule of `id` gives now; an unbound command is disabled.
  CommandUi State(int id) const;

  /// Runs the handler of `id` when it is bound and its rule enables it, then an update pass;
  /// returns whether the handler ran.
  bool Execute(int id);

  /// Sets every action's enabled state and check mark from its rule.
  void UpdatePass();

  /// Runs one update pass when control returns to the event loop; several requests give one pass.
  void ScheduleUpdate();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QAction* action = nullptr;
    Handler handler;
    UpdateRule rule;
  };
  std::map<int, Entry> m_entries;
  bool m_updateScheduled = false;
};
