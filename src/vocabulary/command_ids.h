#pragma once
// Command ids of the menus, the toolbar and the accelerators. The numbers are the program's own
// vocabulary: menus, toolbar buttons and key bindings that issue the same id run the same command.

enum CommandId : int {
  // File.
  CmdFileNew = 57600,
  CmdFileOpen = 57601,
  CmdFileSave = 57603,
  CmdFileSaveAs = 57604,
  CmdPrintSetup = 57606,
  CmdPrintActiveView = 57607,
  CmdPrintPreviewActiveView = 57609,
  CmdRecentFiles = 57616,
  CmdAppExit = 57665,
  CmdUploadTraceFile = 32879,
  CmdAddTrace = 32931,
  CmdCloseCurrentTrace = 32932,
  CmdCloseCurrentTraceButton = 32925,
  CmdAsciiExport = 32884,
  CmdPrintOption = 32852,
  CmdPrintPreview = 32915,
  CmdPrint = 32914,
  CmdBatchPrintPreview = 32907,
  CmdBatchPrint = 32906,
  CmdBatchEdit = 32908,

  // Edit.
  CmdAddEvent = 32904,
  CmdDeleteEvent = 32794,
  CmdEditTraceInfo = 32773,
  CmdEditCopy = 57634,
  CmdEditCut = 57635,
  CmdEditPaste = 57637,
  CmdEditUndo = 57643,

  // View.
  CmdShowToolbar = 59392,
  CmdShowStatusBar = 59393,
  CmdLockMarkerAB = 32774,
  CmdZoomOut = 32926,
  CmdViewFullTrace = 32776,
  CmdAnalyzeInsertionLoss = 32901,
  CmdAnalyzeReflectance = 32902,
  CmdLengthUnits = 32918,
  CmdViewPreferences = 32785,
  CmdZoomInHorizontally = 32895,
  CmdZoomOutHorizontally = 32893,
  CmdZoomInVertically = 32892,
  CmdZoomOutVertically = 32894,
  CmdTrace1 = 32921,
  CmdTrace2 = 32922,
  CmdTrace3 = 32923,
  CmdTrace4 = 32924,
  CmdLinkMap = 32962,

  // OTDR.
  CmdTraceReanalysis = 32941,
  CmdPassFail = 32956,

  // Window.
  CmdWindowCascade = 32867,
  CmdShowTracePane = 32869,
  CmdShowEventTablePane = 32870,
  CmdShowParametersPane = 32871,
  CmdShowMarkerInfoPane = 32872,
  CmdShowFiberInfoPane = 32873,

  // Help.
  CmdAppAbout = 57664,
  CmdHelpTopics = 57667,

  // The instrument commands of the frame's own menu; nothing handles them.
  CmdGetUseStatus = 32854,
  CmdGetPowerStatus = 32855,
  CmdSetParams = 32856,
  CmdClosePower = 32857,
  CmdMesStart = 32858,
  CmdMesStop = 32859,
  CmdRead = 32860,
};
