#pragma once
// The "Export Options" dialog of the text export: four section switches and the column separator.
#include <QDialog>
#include <cstdint>

#include "document/document_settings.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QRadioButton;

class CCAsciiOutputDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CCAsciiOutputDlg(QWidget* parent = nullptr);
  ~CCAsciiOutputDlg() override;

  /// Sets the texts and shows the members in the controls; DoModal runs it first.
  void OnInitDialog();
  /// Runs the dialog modally; QDialog::Accepted after OK.
  int DoModal();
  /// Copies the document's export options into the members.
  void SetOptions(const AsciiExportOptions& options);
  /// The members as the document's export options.
  AsciiExportOptions Options() const;
  /// Takes the controls into the members and closes with OK.
  void accept() override;

  std::int32_t m_bOutputEvent = 0;
  std::int32_t m_nIntervalType = -1;  // 0 space, 1 comma, 2 tab; -1 none checked
  std::int32_t m_bOutputPara = 0;
  std::int32_t m_bOutputTraceData = 0;
  std::int32_t m_bOutputTraceInfo = 0;

  QCheckBox* m_chkTraceInfo;
  QCheckBox* m_chkPara;
  QCheckBox* m_chkEvent;
  QCheckBox* m_chkTraceData;
  QRadioButton* m_rbSpace;
  QRadioButton* m_rbComma;
  QRadioButton* m_rbTab;

 private:
  QGroupBox* m_grpSeparator;
  QButtonGroup* m_SeparatorGroup;
};
