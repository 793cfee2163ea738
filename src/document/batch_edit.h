#pragma once
// Batch Edit: chosen header fields of many trace files rewritten at once. Each file is read into
// the work trace's record, changed and written back under its own name; the current trace, the
// document's path and the loaded-trace list are never touched.
#include <cstdint>
#include <string>
#include <vector>

#include "sor/sor_record.h"

class COtdrDoc;

/// Which fields a batch changes and their values (texts as UTF-16 from the dialog).
struct BatchEditSpec {
  bool changeCableId = false;
  bool changeFiberId = false;
  bool changeFibreType = false;
  bool changeOriginatingLocation = false;
  bool changeTerminatingLocation = false;
  bool changeOperator = false;
  bool numberFibers = false;
  std::u16string cableId;
  std::u16string fiberId;
  std::u16string originatingLocation;
  std::u16string terminatingLocation;
  std::u16string operatorName;
  int fibreTypeIndex = -1;         // combo position; none keeps each file's type
  std::int32_t startingNumber = 0;  // first fiber number, 0 to kMaxStartingFiberNumber
};

inline constexpr std::int32_t kMaxStartingFiberNumber = 99999999;

/// The names of the folder's entries that are not folders and end exactly in "sor" or "SOR",
/// sorted ignoring case. An unreadable folder lists nothing.
std::vector<std::string> ListFolderTraceFiles(const std::string& folder);

/// Applies the ticked fields to one record; `number` is the file's fiber number when numbering.
void ApplyBatchFieldEdits(SorRecord& record, const BatchEditSpec& spec, std::int32_t number);

/// A file the batch left unchanged and why.
struct BatchEditFailure {
  std::string name;
  std::string reason;
};

/// Edits every listed file of `folder` in list order (at most kMaxBatchFiles); each file uses up a
/// fiber number, also one that fails. Returns the files left unchanged.
std::vector<BatchEditFailure> RunBatchEdit(COtdrDoc& doc, const std::string& folder,
                                           const std::vector<std::string>& names, const BatchEditSpec& spec);

/// The one message that lists the files a batch left unchanged; empty when there are none.
std::string BatchEditSummary(const std::vector<BatchEditFailure>& failures, std::size_t listed);
