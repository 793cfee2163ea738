#include "measure/ui/analysis_commands.h"

#include "document/otdr_doc.h"
#include "measure/pass_fail_check.h"
#include "measure/pass_fail_document.h"
#include "measure/trace_reanalysis.h"
#include "measure/ui/analysis_dlg.h"
#include "measure/ui/pass_fail_dlg.h"
#include "platform/message_sink.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/text_table.h"

namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

void FillDialog(CCPassFailDlg& dlg, const PassFailDialogValues& values) {
  dlg.m_strSpliceLoss = ToQt(values.limits[kLimitSpliceLoss]);
  dlg.m_strConnectorLoss = ToQt(values.limits[kLimitConnectorLoss]);
  dlg.m_strReflectance = ToQt(values.limits[kLimitReflectance]);
  dlg.m_strAttenuation = ToQt(values.limits[kLimitAttenuation]);
  dlg.m_strLinkLoss = ToQt(values.limits[kLimitLinkLoss]);
  dlg.m_strLinkOrl = ToQt(values.limits[kLimitLinkOrl]);
  dlg.m_strWavelength = ToQt(values.wavelength);
  dlg.m_strUnit = ToQt(values.unit);
  dlg.m_strIniPath = ToQt(values.iniPath);
  for (int i = 0; i < kPassFailLimitCount; ++i) dlg.CheckState(i) = values.checks[static_cast<std::size_t>(i)];
}

PassFailDialogValues ConfirmedValues(const CCPassFailDlg& dlg, PassFailDialogValues values) {
  values.limits = {dlg.m_strSpliceLoss.toStdString(), dlg.m_strConnectorLoss.toStdString(),
                   dlg.m_strReflectance.toStdString(), dlg.m_strAttenuation.toStdString(),
                   dlg.m_strLinkLoss.toStdString(),    dlg.m_strLinkOrl.toStdString()};
  values.wavelength = dlg.m_strWavelength.toStdString();
  values.checks = {dlg.m_bCheckSpliceLoss, dlg.m_bCheckConnectorLoss, dlg.m_bCheckReflectance,
                   dlg.m_bCheckAttenuation, dlg.m_bCheckLinkLoss,      dlg.m_bCheckLinkOrl};
  return values;
}

LangRow RefusalRow(ReanalysisOutcome refusal) {
  switch (refusal) {
    case ReanalysisOutcome::NoTrace: return TextRow::NoTraceToAnalyse;
    case ReanalysisOutcome::TooFewSamples: return TextRow::TooFewSamplesToAnalyse;
    case ReanalysisOutcome::BadDataSpacing: return TextRow::BadDataSpacingToAnalyse;
    default: return TextRow::BadPulseWidthToAnalyse;
  }
}

}  // namespace

int ExecDialog(QDialog& dialog) { return dialog.exec(); }

void OnPassFail(COtdrDoc& doc, std::string_view programFolder, QWidget* parent, const DialogRunner& run) {
  const PassFailDialogValues values = PreparePassFailDialog(doc, programFolder);
  CCPassFailDlg dlg(parent);
  FillDialog(dlg, values);
  if (run(dlg) == QDialog::Accepted &&
      ApplyPassFailDialog(doc, ConfirmedValues(dlg, values)) != lumivane::IniWriteOutcome::Written) {
    lumivane::ShowMessage(g_CurrentStrings[TextRow::LimitsNotSaved] + "\n" + values.iniPath,
                          lumivane::MessageIcon::Warning);
  }
  doc.UpdateAllViews(nullptr, kHintRefresh);
}

void BindPassFailCommand(COtdrDoc& doc, std::string programFolder, std::function<QWidget*()> parent) {
  doc.Commands().BindCommand(CmdPassFail, [&doc, folder = std::move(programFolder), parent = std::move(parent)] {
    OnPassFail(doc, folder, parent ? parent() : nullptr);
  });
}

bool RunTraceReanalysis(COtdrDoc& doc, QWidget* parent, const DialogRunner& run) {
  // A trace the engine cannot take is refused, with the reason, before the user chooses settings for it.
  if (const ReanalysisOutcome refusal = CheckReanalysisInput(doc); refusal != ReanalysisOutcome::Done) {
    lumivane::ShowMessage(g_CurrentStrings[RefusalRow(refusal)], lumivane::MessageIcon::Warning);
    return false;
  }
  CCAnalysisDlg dlg(parent);
  dlg.SetSettings(PrefillAnalysisSettings(doc.m_FibreParams));
  if (run(dlg) != QDialog::Accepted) return false;
  return ReanalyzeDocument(doc, dlg.Settings()) == ReanalysisOutcome::Done;
}
