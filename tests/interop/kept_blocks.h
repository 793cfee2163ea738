#pragma once
// What a written file must keep of the file it was read from.
#include <cstdint>
#include <string>
#include <vector>

namespace lumivane::test {

/// Every way `written` fails to keep `source`, empty when it keeps it: every block of the source
/// but the Map, the checksum and this system's own blocks comes back in map order, byte for byte
/// when the source is revision 2; a revision-1 source's blocks whose layout differs between the
/// revisions are written in revision 2 (their contents are checked by reading), the others byte for
/// byte under the identifier revision 2 gives them. The written
/// file lists the Map in its count, its blocks end where it ends, and its checksum is the standard's.
std::vector<std::string> BlocksNotKept(const std::vector<std::uint8_t>& source, const std::vector<std::uint8_t>& written);

}  // namespace lumivane::test
