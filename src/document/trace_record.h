#pragma once
// One trace of the application's loaded-trace list: its own copy of the file record and display
// model, plus where it came from and how it is drawn. About 60 KB and the trace's samples: create
// it on the heap.
#include <array>
#include <cstdint>
#include <string>

#include "document/document_settings.h"
#include "document/trace_display_model.h"

struct TraceRecord {
  TraceDisplayModel m_Model{};
  std::string m_strPath;         // as opened; "space" or empty never enters the list
  std::int32_t m_nColourIndex = 0;  // 0 .. kTraceColourCount - 1
  std::array<TraceColour, kTraceColourCount> m_Colours{};  // only the entry at the colour index is used
  double m_dOffsetDb = 0.0;      // vertical offset, dB
};
