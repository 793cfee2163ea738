#pragma once
// Valid files as other instruments write them, made from the files of a folder: the interop tests
// must hold on these as they do on the originals.
#include <string>
#include <vector>

namespace lumivane::test {

/// A valid change of a file as other instruments write it.
enum class InteropVariant {
  kMarker2PastEnd,  // end-to-end marker 2 a few time units past the End event
  kNoStart,         // the Start row taken out, and its loss out of the stored Total Loss
  kNoEnd,           // the End event's code says found: the file stores no End
  kLaunchAndEnd,    // only the launch and the End, the End's slope over the whole link
  kNoWindows,       // every loss-window location 0
  kZeroMovedIn,     // the user's zero 547 m further in, every time moved with it
  kFirstSectionNoSlope,       // the section from the start to the first event stores no slope
  kEndWindowBeforePrevious,   // the End's window lies before the event in front of it
};

/// Writes, for every ".sor" file of `sourceDir` and every one of `variants` that applies to it, the
/// changed copy into `targetDir`, named after the file and the change. Returns the names written.
std::vector<std::string> WriteInteropVariants(const std::string& sourceDir, const std::string& targetDir,
                                              const std::vector<InteropVariant>& variants);

}  // namespace lumivane::test
