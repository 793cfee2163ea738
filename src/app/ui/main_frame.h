#pragma once
// The program's main window: menu bar, toolbar, status bar and the area that holds the panes. It
// marks itself as the running instance, so a second start hands its command line to this window.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame_resources.h"

class CommandTable;
class QMdiArea;
class QToolBar;
class QMenu;

namespace lumivane {
class InstanceServer;
}

class CMainFrame final : public QMainWindow {
  Q_OBJECT

 public:
  /// What the frame asks of the application.
  struct Callbacks {
    std::function<void(const std::string&)> openCommandLine;  ///< a second start's command line
    std::function<void(const std::string&)> openRecentFile;   ///< a recent-file entry was chosen
    std::function<void()> relayoutPanes;                       ///< the frame was resized (not minimised)
    std::function<bool()> canClose;                            ///< the save prompt before the program ends
  };

  CMainFrame(CommandTable& commands, Callbacks callbacks, QWidget* parent = nullptr);
  ~CMainFrame() override;

  /// Builds the bars, marks the running instance under `instanceName`, centres the frame and shows
  /// the splash.
  void OnCreate(const QString& instanceName);

  /// The area that holds the panes.
  QMdiArea* MdiArea() const { return m_mdiArea; }

  /// Shows the pane menu while a pane exists, else the frame's own menu.
  void ShowPaneMenu(bool panesExist);

  /// Whether the pane menu is shown.
  bool PaneMenuShown() const { return m_paneMenuShown; }

  /// Lists `paths` under the Recent Files entry of both menus, most recent first.
  void SetRecentFiles(std::vector<std::string> paths);

  QToolBar* ToolBar() const { return m_toolBar; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ReceiveCommandLine(const std::string& line);
  void BuildMenuBar();
  void AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries);
  /// Marks where the recent files go in `menu` and lists them there.
  void AddRecentFiles(QMenu* menu, std::string_view placeholder);
  /// Replaces the listed recent files with m_recentFiles, leaving the rest of the menus alone.
  void ListRecentFiles();
  void CreateToolBar();
  void BindFrameCommands();
  void CentreOnScreen();
  /// Shrinks and moves the window, its frame included, into the screen's free area.
  void KeepFrameOnScreen();

  CommandTable& m_commands;
  Callbacks m_callbacks;
  QMdiArea* m_mdiArea = nullptr;
  QToolBar* m_toolBar = nullptr;
  std::unique_ptr<lumivane::InstanceServer> m_instanceServer;
  std::vector<std::string> m_recentFiles;
  QPointer<QMenu> m_recentMenu;          // the menu that lists the recent files
  std::vector<QAction*> m_recentActions;  // their entries (or the placeholder) in it
  QString m_recentPlaceholder;            // shown while no file is listed
  bool m_paneMenuShown = false;
  bool m_wasMinimised = false;
  bool m_bFittedToScreen = false;
};
