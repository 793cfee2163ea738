#pragma once
// The file dialog the open commands run: the standard (non-native) Qt dialog with a read-only box
// under its controls that shows the header of whichever file is selected.
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <string>

class QPlainTextEdit;

class CCMyOpenFileDlg : public QFileDialog {
  Q_OBJECT

 public:
  /// An open (or save) dialog starting at `fileName`, listing `nameFilters`; the caller adds its own
  /// options and runs it.
  CCMyOpenFileDlg(bool openFileDialog, const QString& defaultExtension, const QString& fileName,
                  QFileDialog::Options options, const QStringList& nameFilters, QWidget* parent = nullptr);

  /// Rebuilds the preview text for the selected path and shows it.
  void OnFileNameChange(const QString& path);

  /// The preview text as built, lines ending in "\r\n".
  const std::string& PreviewText() const { return m_strPreviewText; }
  QPlainTextEdit* PreviewBox() const { return m_pPreviewBox; }

 private:
  /// Puts the preview text into the box.
  void DoDataExchange();

  std::string m_strPreviewText;
  QPlainTextEdit* m_pPreviewBox = nullptr;
};
