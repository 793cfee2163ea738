#pragma once
// The batch print job that the batch commands hand to the print path: while Active is 1, every page
// takes its trace from a file of the batch list instead of from the document.
#include <array>
#include <string>
#include <vector>

/// The most files one batch holds.
inline constexpr int MaxBatchFiles = 2000;
/// Characters of one file-name slot, terminator included.
inline constexpr int BatchNameChars = 300;
/// Entries of the page map; entry 0 is never used, so a batch prints at most this minus one pages.
inline constexpr int kBatchPageMapSize = 4000;

/// Page n of a batch job: which file and which page of that file's report.
struct BatchPageRef {
  int File = 0;  // index into FileNames
  int Page = 0;  // page within that file's report, from 1
};

struct BatchPrintState {
  int Active = 0;           // 1 from the batch command's plan until its job ends
  std::string Folder;       // the batch folder, ending in a separator
  std::string LoadedFile;   // the batch file the single-trace page last read
  int FileCount = 0;        // files of a several-traces-per-page batch
  std::vector<std::string> FileNames;  // names without folder; entries beyond the counts are stale
  int TotalPages = 0;       // pages of a single-trace or combined batch job
  std::array<BatchPageRef, kBatchPageMapSize> PageMap{};
  std::vector<std::string> UnreadFiles;  // paths whose header could not be read: no page
};

/// The program's one batch print state, empty at start.
extern BatchPrintState g_BatchPrint;

/// Puts g_BatchPrint back to its start state.
void ResetBatchPrint();
