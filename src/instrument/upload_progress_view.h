#pragma once
// What the progress dialog shows for the published progress: the status text and the bar.
#include <cstdint>
#include <optional>
#include <string>

/// The bar's creep inside the share of the file being received, kept between two updates.
struct ProgressCreep {
  float m_fCreep = 0.0f;
  std::int32_t m_nLastIndex = -2;
};

/// One update of the dialog.
struct ProgressView {
  std::optional<int> bar;  // the new bar position; nothing leaves the bar where it is
  std::string text;
  bool ended = false;      // the transfer is over: the timer stops and OK becomes usable
};

/// What a finished transfer tells besides its count: files that could not be stored, and files
/// stored under a numbered name.
struct UploadFileOutcomes {
  std::int32_t unwritten = 0;
  std::int32_t renamed = 0;
};

/// The view of count `c`, index `i` and what became of the files received.
ProgressView UpdateProgressView(std::int32_t c, std::int32_t i, UploadFileOutcomes outcomes, ProgressCreep& creep);
