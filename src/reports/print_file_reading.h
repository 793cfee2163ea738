#pragma once
// Reading a trace file for printing: into the work trace, never into the current trace, for every
// revision the program opens; and the length unit a printed batch file switches to.
#include <string>

struct SorRecord;
struct TraceDisplayModel;

/// What reading a file for printing gave.
struct PrintFileRead {
  bool read = false;      // false: the file could not be read and `work` is as it was
  double lowestDb = 0.0;  // the trace's lowest and highest level
  double highestDb = 0.0;
};

/// Whether a record read from a file holds a trace: a file without data points is no trace file,
/// whatever its reader made of it.
bool HoldsTrace(const SorRecord& record);

/// Reads the trace file at `path` into `work` and builds its display model and dB samples.
PrintFileRead ReloadTraceForPrint(const std::string& path, TraceDisplayModel& work);

/// The batch unit switch: a file stored in miles, feet or metres switches the display unit to mi,
/// kft or km; any other unit code leaves it.
void ApplyFileLengthUnit(const SorRecord& record);
