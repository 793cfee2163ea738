#pragma once
// The "Upload Trace File" progress dialog: it polls the upload's progress every 500 ms and shows the
// state as a text and a bar. While the port is being connected its button cancels the attempt
// (so does the window's close); once files are counted it stays open until the transfer has ended,
// so nothing else reaches the document or the target folder while the worker runs.
#include <QDialog>
#include <string>

#include "instrument/upload_progress.h"
#include "instrument/upload_progress_view.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

/// How often the progress dialog looks at the progress.
inline constexpr int kUploadPollMs = 500;

class CCThreadDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CCThreadDlg(UploadProgress progress, QWidget* parent = nullptr);
  ~CCThreadDlg() override;

  /// Sets the texts, disables OK, shows the first state and starts polling; DoModal runs it first.
  void OnInitDialog();
  /// Runs the dialog modally until the user closes it after the transfer's end.
  int DoModal();
  /// Shows the published state; at the end the polling stops and OK becomes usable.
  void UpdateProgress();
  /// Escape and the window's close cancel while connecting and do nothing from then until the
  /// transfer has ended; the caller stops the worker once the dialog is closed.
  void reject() override;

  QProgressBar* m_Progress;
  std::string m_strStatus;

  bool Ended() const { return m_bEnded; }
  /// Whether the dialog was closed while the port was still being connected.
  bool Cancelled() const { return m_bCancelled; }
  QPushButton* OkButton() const { return m_btnOk; }
  QLabel* StatusLabel() const { return m_lblStatus; }
  QTimer* PollTimer() const { return m_pTimer; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  UploadProgress m_progress;
  ProgressCreep m_creep;
  bool m_bEnded = false;
  bool m_bConnecting = true;
  bool m_bCancelled = false;
  QLabel* m_lblStatus;
  QPushButton* m_btnOk;
  QTimer* m_pTimer;
};
