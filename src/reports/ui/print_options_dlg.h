#pragma once
// The "Print Options" dialog: which blocks a report prints, the page layout (one trace, several
// traces per page, or one report over all loaded traces) and the logo picture. The controls enable
// and hide one another as the layout changes; the members hold the values between transfers.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "document/document_settings.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

/// Combined Trace choices since the last Normal or Multi Trace choice, kept for the whole run: only
/// the first of them clears the Event Table check.
extern int g_CombinedChoiceCount;

class CCPrintOptionsDlg final : public QDialog {
  Q_OBJECT

 public:
  /// Asks for a logo file; nothing when the user cancels.
  using LogoChooser = std::function<std::optional<std::string>(QWidget*)>;

  explicit CCPrintOptionsDlg(QWidget* parent = nullptr);
  ~CCPrintOptionsDlg() override;

  /// Shows the members in the controls and sets the controls' states; DoModal runs it first.
  void OnInitDialog();
  /// Runs the dialog modally; QDialog::Accepted after OK.
  int DoModal();
  /// Moves the values between members and controls: true reads the controls, false fills them.
  void DoDataExchange(bool saveAndValidate);
  /// Takes the controls into the members and closes with OK; nothing is validated.
  void accept() override;
  /// Copies the document's options into the members.
  void SetOptions(const PrintOptions& options);
  /// The members as the document's options.
  PrintOptions Options() const;
  /// Replaces the open-file dialog of "...".
  void SetLogoChooser(LogoChooser chooser) { m_ChooseLogo = std::move(chooser); }

  // Button handlers.
  void OnLayoutNormal();
  void OnLayoutMultiTrace();
  void OnLayoutCombined();
  void OnEventTableCheck();
  void OnTraceCheck();
  void OnPerPage(int index);
  void OnLogoCheck();
  void OnBrowseLogo();

  // Values, as the caller writes them before the run and reads them after OK.
  std::int32_t Layout = -1;        // -1: no button checked
  std::int32_t PerPageIndex = -1;
  std::int32_t EventOption = -1;
  std::int32_t TraceInfo = 0;
  std::int32_t Trace = 0;
  std::int32_t ShowGrid = 0;
  std::int32_t ShowMarker = 0;
  std::int32_t FiberInfo = 0;
  std::int32_t EventTable = 0;
  std::int32_t MarkerInfo = 0;
  std::int32_t Logo = 0;
  std::string LogoPath;

  // Controls.
  QCheckBox* m_chkTraceInfo;
  QCheckBox* m_chkTrace;
  QCheckBox* m_chkShowGrid;
  QCheckBox* m_chkShowMarker;
  QCheckBox* m_chkFiberInfo;
  QCheckBox* m_chkEventTable;
  QCheckBox* m_chkMarkerInfo;
  QCheckBox* m_chkLogo;
  QRadioButton* m_rbNormal;
  QRadioButton* m_rbMultiTrace;
  QRadioButton* m_rbCombined;
  QGroupBox* m_grpPerPage;
  QRadioButton* m_rbPerPage[4];
  QGroupBox* m_grpEventOption;
  QRadioButton* m_rbCurrentTab;
  QRadioButton* m_rbAllTabs;
  QLineEdit* m_editLogoPath;
  QPushButton* m_btnBrowse;

 private:
  void ApplyLayoutState();
  void HideLayoutGroups();
  void ApplyPerPageState();
  void CheckPerPage(int index);
  void EnableBlocks(bool enable);

  QButtonGroup* m_LayoutGroup;
  QButtonGroup* m_PerPageGroup;
  QButtonGroup* m_EventOptionGroup;
  LogoChooser m_ChooseLogo;
};
