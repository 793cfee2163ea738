#pragma once
// Row numbers of the text table that code reads by name. The numbers are fixed: every language
// column holds the same text at the same row, and other code indexes g_CurrentStrings with them.

/// A row of the text table, 0 to kLangRowCount - 1.
using LangRow = int;

/// Number of rows of the text table: the 341 rows of the original table, then this program's own
/// messages from row 341 on (empty rows are free).
inline constexpr LangRow kLangRowCount = 401;

namespace TextRow {

// Messages.
inline constexpr LangRow DeleteTheEvent = 0;          // "Delete the Event ?"
inline constexpr LangRow CantFindFile = 1;            // "Can't find file !"
inline constexpr LangRow CrcWrongContinue = 9;        // "CRC in file wrong!\nContinue please click 'Yes',..."
inline constexpr LangRow FormatWrongPreview = 10;     // "Format of file wrong!"
inline constexpr LangRow FormatWrongShort = 12;       // "Format of file wrong!"
inline constexpr LangRow FileTooLarge = 13;           // "File too large !"
inline constexpr LangRow TypeOfFileWrong = 28;        // "Type of file wrong !"
inline constexpr LangRow EventAlreadyHere = 48;       // "Already exist a Event over here!"
inline constexpr LangRow TooManyDataPoints = 49;      // "Date points morn than 90000 !"
inline constexpr LangRow EndAlreadyExists = 50;       // "Already exists End !"
inline constexpr LangRow StartAlreadyExists = 51;     // "Already exists Start !"
inline constexpr LangRow EventNumberMoreThan = 52;    // "Event number more than "
inline constexpr LangRow CrcWrong = 53;               // "CRC in file wrong !"
inline constexpr LangRow VersionWrong = 54;           // "Version of file wrong !"
inline constexpr LangRow NotBellcoreFile = 55;        // "Not Bellcore File !"
inline constexpr LangRow ReadFileFailed = 56;         // "Read file failed !"
inline constexpr LangRow FilesMoreThan = 187;         // "Files more than "
inline constexpr LangRow ContinueQuestion = 201;      // "   Continue ?   "
inline constexpr LangRow FormatError = 202;           // "Format Error"
inline constexpr LangRow SelectNewVersion = 212;      // "Warning! Select new version please!"
inline constexpr LangRow IorOutOfRange = 316;         // "The IOR must between 1.00000 and 1.99999!"
inline constexpr LangRow ScatterCoefOutOfRange = 317; // "The ScatCoef must between -70.0 and -10.0!"
inline constexpr LangRow ReflThresholdOutOfRange = 318;
inline constexpr LangRow NonReflThresholdOutOfRange = 319;
inline constexpr LangRow EndThresholdOutOfRange = 320;
inline constexpr LangRow OpenMaxTrace = 338;          // "Open Max Trace is 4"
inline constexpr LangRow NoTraceToAnalyse = 365;      // "There is no trace to analyse."
inline constexpr LangRow TooFewSamplesToAnalyse = 366;
inline constexpr LangRow BadDataSpacingToAnalyse = 367;
inline constexpr LangRow BadPulseWidthToAnalyse = 368;
inline constexpr LangRow LimitsNotSaved = 369;        // "The pass/fail limits could not be saved; ..."
inline constexpr LangRow LimitsFileTooLarge = 370;    // "The pass/fail limits file is larger than 1 MB ..."
inline constexpr LangRow CannotSave = 371;           // "Cannot save "
inline constexpr LangRow TraceNotSaved = 372;        // ".\nThe trace was not saved."
inline constexpr LangRow TraceTooLargeToWrite = 373; // "the trace is too large for a trace file"
inline constexpr LangRow CannotCreateFile = 374;     // "the file or its folder cannot be written"
inline constexpr LangRow DiskMayBeFull = 375;        // "the disk may be full"
inline constexpr LangRow FileNotReplaced = 376;      // "the file could not be replaced"
inline constexpr LangRow FilesNotPrinted = 377;       // "These files were not printed:"
inline constexpr LangRow TooManyBatchPages = 378;     // "Pages more than "
inline constexpr LangRow WrittenTraceUnreadable = 379; // "the written trace would not read back"
inline constexpr LangRow NotAValidTraceFile = 380;   // "is not a valid trace file"
inline constexpr LangRow CouldNotBeRead = 381;       // "could not be read"
inline constexpr LangRow FilesOf = 382;              // " of "
inline constexpr LangRow FilesNotChanged = 383;      // " files were not changed:"
inline constexpr LangRow PrintingPage = 395;          // "Printing page "

// Upload messages.
inline constexpr LangRow Blank = 18;                  // " "
inline constexpr LangRow FilesNowReceiving = 19;      // " Files, Now Receiving No. "
inline constexpr LangRow Total = 20;                  // "Total "
inline constexpr LangRow FilesReceived = 21;          // "Files, Have Been Recieved!"
inline constexpr LangRow NoFileInOtdr = 22;           // "There's No File In OTDR!"
inline constexpr LangRow ConnectingPort = 23;         // "Connecting Port......"
inline constexpr LangRow CantReadData = 24;           // "Can't Read Data,Ensure the OTDR is Connected."
inline constexpr LangRow CantOpenPort = 25;           // "Can't Open Port,Ensure the Port is Free!"
inline constexpr LangRow SelectDirectory = 26;        // "Select Directory"
inline constexpr LangRow FilesNotStored = 270;        // "Files Could Not Be Saved In The Folder!"
inline constexpr LangRow FilesRenamed = 356;          // "Files Had The Name Of A File Received Before: ..."

// Upload dialogs.
inline constexpr LangRow PortLabel = 126;             // "Port"
inline constexpr LangRow Rs232Label = 127;            // "RS232"
inline constexpr LangRow BaudRateLabel = 128;         // "BaudRate"
inline constexpr LangRow DataBitLabel = 129;          // "DataBit"
inline constexpr LangRow ParityLabel = 130;           // "Parity"
inline constexpr LangRow StopBitLabel = 131;          // "StopBit"
inline constexpr LangRow CommunicationsSettings = 132;  // "Communications Settings"
inline constexpr LangRow UploadTraceFile = 152;       // "Upload Trace File"

// Titles and edition branding (the branding rows are written by ApplyEditionBranding).
inline constexpr LangRow ProductTitleVersion = 27;    // About box product title with version
inline constexpr LangRow MainWindowTitle = 42;        // main window title, also on printed pages
inline constexpr LangRow AboutCaption = 153;          // About box caption
inline constexpr LangRow ExportHeader = 154;          // header line of the text export
inline constexpr LangRow AboutLowerLine = 209;        // lower text line of the About box
inline constexpr LangRow AboutMiddleLine = 210;       // middle text line of the About box

// Event types and edits.
inline constexpr LangRow UserModify = 2;              // "User modify"
inline constexpr LangRow UserAdd = 3;                 // "User add"
inline constexpr LangRow ModifyEvent = 33;            // "Modify Event"
inline constexpr LangRow AddEvent = 34;               // "Add Event"

// Pane captions.
inline constexpr LangRow TracePane = 80;              // "Trace"
inline constexpr LangRow EventTablePane = 81;         // "Event Table"
inline constexpr LangRow ParametersPane = 82;         // "Parameters"
inline constexpr LangRow MarkerInformationPane = 83;  // "Marker Information"
inline constexpr LangRow TotalFiberInformationPane = 84;  // "Total Fiber Information"

// Dialog buttons.
inline constexpr LangRow Ok = 105;                    // "OK"
inline constexpr LangRow Cancel = 106;                // "Cancel"
inline constexpr LangRow Apply = 268;                 // "Apply"
inline constexpr LangRow Default = 269;               // "Default"

// Report.
inline constexpr LangRow OtdrReport = 339;            // "OTDR Report"

// Trace files that are damaged or hold no trace.
inline constexpr LangRow FileHoldsNoTrace = 341;      // "This file holds no trace ..."
inline constexpr LangRow FileDamaged = 342;           // "This file is damaged ..."
inline constexpr LangRow TracePointsCut = 343;        // "This trace has more than 80000 points ..."

}  // namespace TextRow
