#include "document/display_state.h"

// Constant-initialised, so code that runs during static construction already sees the start values.
constinit DisplayState g_DisplayState;

void ResetDisplayState() { g_DisplayState = DisplayState{}; }
