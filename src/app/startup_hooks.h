#pragma once
// Environment switches that let tests start the program quickly and side by side:
//   LUMIVANE_NO_SPLASH=1        no splash picture
//   LUMIVANE_NO_STARTUP_PAUSE=1 no one-second pause while the splash is shown
//   LUMIVANE_INSTANCE_NAME=name the single-instance socket (see single_instance.h)
//   LUMIVANE_EXIT_AT_FIRST_PAINT=1 end at the Trace pane's first paint (see first_paint_exit.h)

/// Whether LUMIVANE_NO_SPLASH is set to a non-empty value other than "0".
bool SplashSuppressed();

/// Whether LUMIVANE_NO_STARTUP_PAUSE is set to a non-empty value other than "0".
bool StartupPauseSuppressed();

/// Whether LUMIVANE_EXIT_AT_FIRST_PAINT is set to a non-empty value other than "0".
bool ExitAtFirstPaintRequested();
