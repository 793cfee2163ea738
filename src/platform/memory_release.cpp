#include "platform/memory_release.h"

#include <cstddef>  // defines __GLIBC__ with the C library's other features

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace lumivane {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
  // The allocator keeps freed chunks for reuse and raises its thresholds after large frees, so
  // nothing short of an explicit trim hands the pages back.
  malloc_trim(0);
#endif
}

}  // namespace lumivane
