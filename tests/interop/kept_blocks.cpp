#include "kept_blocks.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "sor/sor_crc.h"
#include "sor/sor_format.h"
#include "sor/sor_map_layout.h"

namespace lumivane::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::array<std::string_view, 3> kWritersOwn = {kSorBlockUserName, kSorBlockVendor, kSorBlockCksum};
// Their layouts differ between the revisions; the others are the same in both.
constexpr std::array<std::string_view, 3> kRewrittenFromRevision1 = {kSorBlockGenParams, kSorBlockFxdParams,
                                                                       kSorBlockKeyEvents};

template <std::size_t N>
bool In(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

Bytes BodyOf(const Bytes& image, const SorMappedBlock& block) {
  const auto end = std::min<std::int64_t>(block.offset + block.size, static_cast<std::int64_t>(image.size()));
  return Bytes(image.begin() + block.offset, image.begin() + end);
}

}  // namespace

std::vector<std::string> BlocksNotKept(const Bytes& source, const Bytes& written) {
  std::vector<std::string> faults;
  const SorMapLayout before = ReadSorMapLayout(source);
  const SorMapLayout after = ReadSorMapLayout(written);
  if (!after.readable || after.end != static_cast<std::int64_t>(written.size())) faults.push_back("written map unsound");
  const auto count = static_cast<std::int16_t>(written[10] | (written[11] << 8));
  if (count != static_cast<std::int16_t>(after.blocks.size() + 1)) faults.push_back("the Map is not in the count");
  if (VerifySorChecksum(written) != SorChecksumStatus::kAllButChecksumValue) faults.push_back("not the standard CRC");
  if (after.blocks.empty() || after.blocks.back().name != kSorBlockCksum) faults.push_back("Cksum is not last");

  const bool revision2 = IsSorV2(source);
  std::size_t next = 0;  // the source's blocks come back in their order
  for (const SorMappedBlock& block : before.blocks) {
    if (In(kWritersOwn, block.name) || block.size == 0) continue;
    const auto it = std::find_if(after.blocks.begin() + static_cast<std::ptrdiff_t>(next), after.blocks.end(),
                                 [&](const SorMappedBlock& b) { return b.name == block.name; });
    if (it == after.blocks.end()) {
      faults.push_back(std::string(block.name) + " lost or out of order");
      continue;
    }
    next = static_cast<std::size_t>(it - after.blocks.begin()) + 1;
    if (!revision2 && In(kRewrittenFromRevision1, block.name)) continue;
    Bytes expected = BodyOf(source, block);
    // A revision-1 block of a standard name gains the identifier revision 2 gives every block.
    if (!revision2 && std::find(kSorBlockNames.begin(), kSorBlockNames.end(), block.name) != kSorBlockNames.end()) {
      expected.insert(expected.begin(), block.name.size() + 1, 0);
      std::copy(block.name.begin(), block.name.end(), expected.begin());
    }
    if (BodyOf(written, *it) != expected) faults.push_back(std::string(block.name) + " changed");
  }
  return faults;
}

}  // namespace lumivane::test
