#pragma once
// Giving memory a finished job freed back to the system.

namespace lumivane {

/// Returns the heap pages that are free to the system. A job of thousands of small allocations
/// leaves them free but resident otherwise, so the process would stay as large as the job made it.
void ReleaseFreedMemory();

}  // namespace lumivane
