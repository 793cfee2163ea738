#include "sor/sor_write_plan.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"
#include "sor/sor_map_layout.h"

namespace {

using BlockBuilder = std::int32_t (*)(const SorRecord&, SorBlockBuffer&, SorSourceTexts);

struct WrittenBlock {
  std::string_view name;
  BlockBuilder build;
};

// A record of no file is written with these entries, in this order; landmarks are never written.
constexpr std::array<WrittenBlock, 8> kWrittenBlocks = {{
    {kSorBlockGenParams, BuildGenParamsBlock},
    {kSorBlockSupParams, BuildSupParamsBlock},
    {kSorBlockFxdParams, BuildFxdParamsBlock},
    {kSorBlockDataPts, BuildDataPtsBlock},
    {kSorBlockKeyEvents, BuildKeyEventsBlock},
    {kSorBlockLnkParams, BuildLnkParamsBlock},
    {kSorBlockUserName, BuildUserNameBlock},
    {kSorBlockVendor, BuildVendorBlock},
}};

const WrittenBlock* BuiltBlockNamed(std::string_view name) {
  if (name == kSorBlockLnkParams) return nullptr;
  const auto it = std::find_if(kWrittenBlocks.begin(), kWrittenBlocks.end(),
                               [&](const WrittenBlock& block) { return block.name == name; });
  return it == kWrittenBlocks.end() ? nullptr : &*it;
}

std::size_t ParserIndexOf(std::string_view name) {
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    if (kSorBlockParsers[index].name == name) return index;
  }
  return kSorBlockParsers.size();
}

bool IsBlockName(std::string_view name) {
  return std::find(kSorBlockNames.begin(), kSorBlockNames.end(), name) != kSorBlockNames.end();
}

/// The source texts of the key events block for the events the record holds now. An event added or
/// deleted moves the others in the list; each keeps the comment bytes of the source event at its own
/// time, wherever it stands.
std::vector<lumivane::SourceText> FollowKeyEvents(const std::vector<lumivane::SourceText>& texts,
                                                  const SorKeyEvents& asRead, const SorKeyEvents& now) {
  const std::span<const SorKeyEvent> source(asRead.Events.data(),
                                            static_cast<std::size_t>(StoredKeyEventCount(asRead)));
  if (texts.size() < source.size()) return texts;
  std::vector<lumivane::SourceText> followed;
  const std::span<const SorKeyEvent> current(now.Events.data(), static_cast<std::size_t>(StoredKeyEventCount(now)));
  for (const SorKeyEvent& kept : current) {
    const auto same = std::find_if(source.begin(), source.end(), [&](const SorKeyEvent& event) {
      return event.TimeOfFlight == kept.TimeOfFlight;
    });
    followed.push_back(same == source.end() ? lumivane::SourceText{nullptr, {}}
                                            : texts[static_cast<std::size_t>(same - source.begin())]);
  }
  return followed;
}

/// Builds the blocks of a record read from a file, against what that file held.
class SourcePlanner {
 public:
  explicit SourcePlanner(const SorRecord& record)
      : record_(record),
        image_(record.Source.Bytes.data(), static_cast<std::size_t>(record.Source.Length)),
        revision2_(IsSorV2(image_)),
        asRead_(std::make_unique<SorRecord>()) {}

  /// The block the record holds, from the bytes of the file where nothing in it changed.
  SorBlockBuffer Built(const WrittenBlock& block, const SorMappedBlock* mapped) {
    SorBlockBuffer body;
    const std::size_t parser = ParserIndexOf(block.name);
    const std::int64_t at = record_.Source.BlockOffsets[parser];
    if (at < 0) {
      block.build(record_, body, {});
      return body;
    }
    // The reader's view of the source block alone, within the same end: what the record held
    // before any edit.
    const auto end = std::clamp<std::int64_t>(record_.Source.BlockEnds[parser], 0, static_cast<std::int64_t>(image_.size()));
    const std::span<const std::uint8_t> blockImage = image_.first(static_cast<std::size_t>(end));
    ClearSorRecord(*asRead_);
    SorTextLog log;
    kSorBlockParsers[parser].parse(blockImage, at, *asRead_, &log);
    SorBlockBuffer unedited;
    block.build(*asRead_, unedited, {});
    block.build(record_, body, {});
    // The file's bytes are what the reader used only where the block was read whole, where the map
    // places it: a damaged block is written as it was read and shown.
    const bool readWhole = (record_.Source.DamagedBlocks & SorBlockBit(block.name)) == 0;
    if (body == unedited && readWhole && revision2_ && mapped != nullptr && at == mapped->offset) {
      if (const auto bytes = Verbatim(*mapped)) return *bytes;
    }
    std::vector<lumivane::SourceText> texts = SourceTexts(log, blockImage);
    if (block.name == kSorBlockKeyEvents) texts = FollowKeyEvents(texts, asRead_->KeyEvents, record_.KeyEvents);
    body.clear();
    block.build(record_, body, texts);
    return body;
  }

  /// A block this system does not write, as the file held it; a block of a known name gets the
  /// identifier revision-1 files leave out. Nothing when the file ends inside it.
  std::optional<SorBlockBuffer> Copied(const SorMappedBlock& mapped) const {
    std::optional<SorBlockBuffer> bytes = Verbatim(mapped);
    if (!bytes || bytes->empty() || !IsBlockName(mapped.name) ||
        lumivane::ByteReader(image_).NameAt(mapped.offset, mapped.name)) {
      return bytes;
    }
    SorBlockBuffer named(mapped.name.begin(), mapped.name.end());
    named.push_back(0);
    named.insert(named.end(), bytes->begin(), bytes->end());
    return named;
  }

  /// The block revision of the written entry: revision-1 blocks are written in revision 2.
  std::uint16_t Revision(const SorMappedBlock& mapped, bool rebuilt) const {
    return revision2_ || !rebuilt ? mapped.revision : static_cast<std::uint16_t>(kSorRevision2);
  }

 private:
  std::optional<SorBlockBuffer> Verbatim(const SorMappedBlock& mapped) const {
    if (mapped.offset + mapped.size > static_cast<std::int64_t>(image_.size())) return std::nullopt;
    const auto begin = image_.begin() + mapped.offset;
    return SorBlockBuffer(begin, begin + mapped.size);
  }

  static std::vector<lumivane::SourceText> SourceTexts(const SorTextLog& log, std::span<const std::uint8_t> block) {
    std::vector<lumivane::SourceText> texts;
    for (const lumivane::TextSpan& span : log) {
      // A text whose zero byte its block does not hold cannot be written back as it was.
      if (span.stored == nullptr || span.end > static_cast<std::int64_t>(block.size())) {
        texts.push_back({nullptr, {}});
        continue;
      }
      texts.push_back({span.stored, block.subspan(static_cast<std::size_t>(span.start),
                                                  static_cast<std::size_t>(span.end - span.start))});
    }
    return texts;
  }

  const SorRecord& record_;
  std::span<const std::uint8_t> image_;
  bool revision2_;
  std::unique_ptr<SorRecord> asRead_;
};

std::vector<SorPlannedBlock> PlanWithoutSource(const SorRecord& record) {
  std::vector<SorPlannedBlock> planned;
  for (const WrittenBlock& block : kWrittenBlocks) {
    SorPlannedBlock entry{std::string(block.name), kSorRevision2, {}};
    block.build(record, entry.body, {});
    planned.push_back(std::move(entry));
  }
  return planned;
}

}  // namespace

std::vector<SorPlannedBlock> PlanSorBlocks(const SorRecord& record) {
  const std::span<const std::uint8_t> image(record.Source.Bytes.data(), static_cast<std::size_t>(record.Source.Length));
  const SorMapLayout layout = ReadSorMapLayout(image);
  if (record.Source.Length <= 0 || !layout.readable) return PlanWithoutSource(record);

  SourcePlanner planner(record);
  std::vector<SorPlannedBlock> planned;
  std::vector<std::string_view> built;
  for (const SorMappedBlock& mapped : layout.blocks) {
    if (mapped.name == kSorBlockCksum || mapped.name == kSorBlockMap) continue;
    if (const WrittenBlock* block = BuiltBlockNamed(mapped.name)) {
      if (std::find(built.begin(), built.end(), block->name) != built.end()) continue;
      built.push_back(block->name);
      SorBlockBuffer body = planner.Built(*block, &mapped);
      if (!body.empty() || mapped.size == 0) planned.push_back({mapped.name, planner.Revision(mapped, true), std::move(body)});
      continue;
    }
    // Blocks the file ends inside of are damaged: what remains of them is left out.
    if (std::optional<SorBlockBuffer> body = planner.Copied(mapped)) {
      planned.push_back({mapped.name, planner.Revision(mapped, body->size() != static_cast<std::size_t>(mapped.size)),
                         std::move(*body)});
    }
  }
  for (const WrittenBlock& block : kWrittenBlocks) {
    if (block.name == kSorBlockLnkParams || std::find(built.begin(), built.end(), block.name) != built.end()) continue;
    SorBlockBuffer body = planner.Built(block, nullptr);
    if (!body.empty()) planned.push_back({std::string(block.name), kSorRevision2, std::move(body)});
  }
  return planned;
}
