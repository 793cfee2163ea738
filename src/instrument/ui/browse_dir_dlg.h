#pragma once
// The folder browser of the upload: the user picks the folder the dated sub-folder goes into.
#include <string>

class QWidget;

class CBrowseDirDlg {
 public:
  explicit CBrowseDirDlg(QWidget* owner = nullptr) : m_pOwner(owner) {}
  virtual ~CBrowseDirDlg() = default;

  /// The text above the folder list.
  void SetBrowseTitle(const std::string& title) { m_strTitle = title; }
  /// The folder selected when the browser opens.
  void SetInitialFolder(const std::string& folder) { m_strInitialFolder = folder; }
  /// Runs the browser modally; true with the chosen folder in m_strPath, false when cancelled.
  bool BrowseForFolder();

  std::string m_strPath;
  std::string m_strInitialFolder;
  std::string m_strTitle;

 private:
  QWidget* m_pOwner;
};
