#pragma once
// A test hook for start-up measurements: with LUMIVANE_EXIT_AT_FIRST_PAINT set, the program ends
// right after the Trace pane has painted for the first time with what the start was asked to show.
#include <functional>

class QObject;

/// Installs the hook when LUMIVANE_EXIT_AT_FIRST_PAINT is set: the process ends (exit code 0) once
/// a paint of an object for which `isWantedPaint` answers true has run.
void InstallFirstPaintExit(std::function<bool(const QObject*)> isWantedPaint);
