#pragma once
// Environment switches that let tests start the program quickly and side by side:
//   LUMIVANE_NO_SPLASH=1        no splash picture
//   LUMIVANE_NO_STARTUP_PAUSE=1 no one-second pause while the main window appears
//   LUMIVANE_INSTANCE_NAME=name the single-instance socket (see single_instance.h)

/// Whether LUMIVANE_NO_SPLASH is set to a non-empty value other than "0".
bool SplashSuppressed();

/// Whether LUMIVANE_NO_STARTUP_PAUSE is set to a non-empty value other than "0".
bool StartupPauseSuppressed();
