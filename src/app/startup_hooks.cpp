#include "app/startup_hooks.h"

#include <cstdlib>
#include <cstring>

namespace {

bool FlagSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

}  // namespace

bool SplashSuppressed() { return FlagSet("LUMIVANE_NO_SPLASH"); }

bool StartupPauseSuppressed() { return FlagSet("LUMIVANE_NO_STARTUP_PAUSE"); }

bool ExitAtFirstPaintRequested() { return FlagSet("LUMIVANE_EXIT_AT_FIRST_PAINT"); }
