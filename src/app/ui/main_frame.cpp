#include "app/ui/main_frame.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/ui/command_table.h"
#include "app/ui/single_instance.h"
#include "app/ui/splash_wnd.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/text_table.h"

namespace {

constexpr QSize kToolButtonSize(20, 18);
constexpr QSize kDefaultFrameSize(1024, 720);
constexpr int kMaxRecentFiles = 4;
constexpr int kHandOverRetryMs = 200;

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

// The pictures are compiled into this library; naming them keeps the linker from dropping them.
static void InitAppResources() { Q_INIT_RESOURCE(app); }

CMainFrame::CMainFrame(CommandTable& commands, Callbacks callbacks, QWidget* parent)
    : QMainWindow(parent), m_commands(commands), m_callbacks(std::move(callbacks)) {
  InitAppResources();
  // The caption is the product title until the first open names the trace.
  setWindowTitle(QString::fromStdString(g_CurrentStrings[TextRow::MainWindowTitle]));
  setWindowIcon(QIcon(QStringLiteral(":/app/lumivane.png")));
  m_mdiArea = new QMdiArea(this);
  m_mdiArea->setBackground(palette().brush(QPalette::Dark));
  setCentralWidget(m_mdiArea);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::OnCreate(const QString& instanceName) {
  for (const int id : AllFrameCommandIds()) m_commands.Action(id);
  for (const Accelerator& a : Accelerators()) {
    QAction* action = m_commands.Action(a.id);
    action->setShortcut(QKeySequence(Utf8(a.keys), QKeySequence::PortableText));
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
  CreateToolBar();
  statusBar()->showMessage(QString::fromStdString(" "));
  BindFrameCommands();
  BuildMenuBar();

  m_instanceServer = std::make_unique<lumivane::InstanceServer>(
      instanceName, [this](const std::string& line) { ReceiveCommandLine(line); });
  if (!m_instanceServer->Listen()) {
    qWarning("Another start could not reach this window: listening on %s failed", qPrintable(instanceName));
  }
  CentreOnScreen();
  CSplashWnd::ShowSplash(this);
  m_commands.UpdatePass();
}

void CMainFrame::ReceiveCommandLine(const std::string& line) {
  // A dialog of this program is open (a message, a question, the upload's progress): the open it
  // belongs to has not finished, so the second start's text waits until it is gone.
  if (QApplication::activeModalWidget() != nullptr) {
    QTimer::singleShot(kHandOverRetryMs, this, [this, line] { ReceiveCommandLine(line); });
    return;
  }
  showNormal();
  raise();
  activateWindow();
  if (m_callbacks.openCommandLine) m_callbacks.openCommandLine(line);
}

void CMainFrame::CreateToolBar() {
  m_toolBar = addToolBar(QStringLiteral("Standard"));
  m_toolBar->setObjectName(QStringLiteral("StandardToolBar"));
  m_toolBar->setIconSize(kToolButtonSize);
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  for (const ToolbarButton& b : ToolbarButtons()) {
    if (b.id == 0) {
      m_toolBar->addSeparator();
      continue;
    }
    QAction* action = m_commands.Action(b.id);
    action->setIcon(QIcon(QStringLiteral(":/app/toolbar/%1.png").arg(Utf8(b.icon))));
    action->setIconVisibleInMenu(false);
    action->setToolTip(Utf8(b.tip));
    if (action->text().isEmpty()) action->setText(Utf8(b.tip));
    m_toolBar->addAction(action);
  }
}

void CMainFrame::BindFrameCommands() {
  m_commands.Bind(
      CmdShowToolbar, [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); },
      [this] { return CommandUi{true, !m_toolBar->isHidden()}; });
  m_commands.Bind(
      CmdShowStatusBar, [this] { statusBar()->setVisible(!statusBar()->isVisible()); },
      [this] { return CommandUi{true, !statusBar()->isHidden()}; });
  m_commands.Bind(CmdAppExit, [this] { close(); });
}

void CMainFrame::ShowPaneMenu(bool panesExist) {
  if (panesExist == m_paneMenuShown && !menuBar()->actions().isEmpty()) return;
  m_paneMenuShown = panesExist;
  BuildMenuBar();
}

void CMainFrame::SetRecentFiles(std::vector<std::string> paths) {
  if (paths.size() > kMaxRecentFiles) paths.resize(kMaxRecentFiles);
  m_recentFiles = std::move(paths);
  ListRecentFiles();
}

void CMainFrame::BuildMenuBar() {
  QMenuBar* bar = menuBar();
  for (QAction* a : bar->actions()) {
    if (QMenu* menu = a->menu()) menu->deleteLater();
  }
  bar->clear();
  m_recentMenu = nullptr;
  m_recentActions.clear();
  for (const MenuEntry& popup : m_paneMenuShown ? PaneMenu() : FrameMenu()) {
    QMenu* menu = bar->addMenu(Utf8(popup.text));
    AddEntries(menu, popup.items);
  }
}

void CMainFrame::AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
  connect(menu, &QMenu::aboutToShow, &m_commands, &CommandTable::UpdatePass);
  for (const MenuEntry& e : entries) {
    switch (e.kind) {
      case MenuEntry::Kind::Separator:
        menu->addSeparator();
        break;
      case MenuEntry::Kind::Popup:
        AddEntries(menu->addMenu(Utf8(e.text)), e.items);
        break;
      case MenuEntry::Kind::Command: {
        if (e.id == CmdRecentFiles) {
          AddRecentFiles(menu, e.text);
          break;
        }
        // Only one of the two menus is shown at a time, and each words some commands its own way.
        QAction* action = m_commands.Action(e.id);
        action->setText(Utf8(e.text));
        menu->addAction(action);
        break;
      }
    }
  }
}

void CMainFrame::AddRecentFiles(QMenu* menu, std::string_view placeholder) {
  m_recentMenu = menu;
  m_recentPlaceholder = Utf8(placeholder);
  ListRecentFiles();
}

void CMainFrame::ListRecentFiles() {
  if (m_recentMenu.isNull()) return;
  // The new entries take the old ones' place: before whatever followed them.
  const QList<QAction*> all = m_recentMenu->actions();
  QAction* before = nullptr;
  if (!m_recentActions.empty()) {
    const qsizetype last = all.indexOf(m_recentActions.back());
    if (last >= 0 && last + 1 < all.size()) before = all[last + 1];
  }
  for (QAction* old : m_recentActions) {
    m_recentMenu->removeAction(old);
    old->deleteLater();
  }
  m_recentActions.clear();
  if (m_recentFiles.empty()) {
    auto* item = new QAction(m_recentPlaceholder, m_recentMenu);
    item->setEnabled(false);
    m_recentActions.push_back(item);
  }
  for (std::size_t i = 0; i < m_recentFiles.size(); ++i) {
    const QString path = QFile::decodeName(QByteArray::fromStdString(m_recentFiles[i]));
    auto* item = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), m_recentMenu);
    connect(item, &QAction::triggered, this, [this, path = m_recentFiles[i]] {
      if (m_callbacks.openRecentFile) m_callbacks.openRecentFile(path);
      m_commands.UpdatePass();
    });
    m_recentActions.push_back(item);
  }
  m_recentMenu->insertActions(before, QList<QAction*>(m_recentActions.begin(), m_recentActions.end()));
}

void CMainFrame::CentreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    resize(kDefaultFrameSize);
    return;
  }
  const QRect available = screen->availableGeometry();
  resize(kDefaultFrameSize.boundedTo(available.size()));
  move(available.center() - rect().center());
}

// The window manager's frame is known only once the window shows; on a scaled screen the title bar
// alone can push a window of the screen's height past its bottom edge.
void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_bFittedToScreen) return;
  m_bFittedToScreen = true;
  QTimer::singleShot(0, this, [this] { KeepFrameOnScreen(); });
}

void CMainFrame::KeepFrameOnScreen() {
  const QScreen* screen = this->screen();
  if (screen == nullptr || isMaximized() || isFullScreen()) return;
  const QRect available = screen->availableGeometry();
  const QSize decoration = frameGeometry().size() - size();
  const QSize fitting = size().boundedTo(available.size() - decoration).expandedTo(minimumSizeHint());
  if (fitting != size()) resize(fitting);
  QRect frame = frameGeometry();
  frame.moveLeft(std::clamp(frame.left(), available.left(), std::max(available.left(), available.right() - frame.width() + 1)));
  frame.moveTop(std::clamp(frame.top(), available.top(), std::max(available.top(), available.bottom() - frame.height() + 1)));
  if (frame.topLeft() != frameGeometry().topLeft()) move(frame.topLeft());
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!isMinimized() && m_callbacks.relayoutPanes) m_callbacks.relayoutPanes();
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const bool minimised = isMinimized();
  if (m_wasMinimised && !minimised && m_callbacks.relayoutPanes) m_callbacks.relayoutPanes();
  m_wasMinimised = minimised;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_callbacks.canClose && !m_callbacks.canClose()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}
