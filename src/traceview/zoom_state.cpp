#include "traceview/zoom_state.h"

// Constant-initialised, so code that runs during static construction already sees the start values.
constinit ZoomState g_ZoomState;

void ResetZoomState() { g_ZoomState = ZoomState{}; }
