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

  /// The block the record holds, from the bytes of the file where nothing in it changed. `mapped` is
  /// the map entry the block is written for, null for a block the map does not list.
  SorBlockBuffer Built(const WrittenBlock& block, const SorMappedBlock* mapped) {
    SorBlockBuffer body;
    const std::size_t parser = SorParserIndex(block.name);
    const std::int64_t at = record_.Source.BlockOffsets[parser];
    const bool listed = mapped != nullptr && mapped->size > 0;
    if (at < 0) return Unread(block, listed ? mapped : nullptr);
    // The reader's view of the source block alone, within the same end: what the record held
    // before any edit. A revision-2 block read where the map places it, its identifier damaged,
    // is read again as the reader read it.
    const auto end = std::clamp<std::int64_t>(record_.Source.BlockEnds[parser], 0, static_cast<std::int64_t>(image_.size()));
    std::vector<std::uint8_t> mended;
    std::span<const std::uint8_t> blockImage = image_.first(static_cast<std::size_t>(end));
    if (revision2_ && !lumivane::ByteReader(image_).NameAt(at, block.name)) {
      mended = WithBlockIdentifier(image_, at, end, block.name);
      blockImage = mended;
    }
    ClearSorRecord(*asRead_);
    asRead_->Map = record_.Map;
    SorTextLog log;
    kSorBlockParsers[parser].parse(blockImage, at, *asRead_, &log);
    SorBlockBuffer unedited;
    block.build(*asRead_, unedited, {});
    block.build(record_, body, {});
    // The file's bytes are what the reader used only where the block was read whole, just where the
    // map places it: a damaged block is written as it was read and shown.
    const bool readWhole = (record_.Source.DamagedBlocks & SorBlockBit(block.name)) == 0;
    const bool readAsListed = listed && at == mapped->offset && end == mapped->offset + mapped->size;
    if (body == unedited && readWhole && readAsListed) {
      if (auto bytes = SourceBody(*mapped)) return std::move(*bytes);
    }
    std::vector<lumivane::SourceText> texts = SourceTexts(log, blockImage);
    if (block.name == kSorBlockKeyEvents) texts = FollowKeyEvents(texts, asRead_->KeyEvents, record_.KeyEvents);
    body.clear();
    block.build(record_, body, texts);
    return body;
  }

  /// A block the reader could not read, or the file does not have. Where the user has put something
  /// into it since (a reanalysis's events, a header typed in), it is written as shown; otherwise a
  /// listed block goes back as the file holds it (left out when the file ends inside it) and a block
  /// of the standard the file lacks stays out, never built from the zeros the record holds for it.
  /// The blocks that say how the trace was measured are never made up: edits that touch a field of
  /// them (a unit relabelled by the save itself) do not make a block of it.
  SorBlockBuffer Unread(const WrittenBlock& block, const SorMappedBlock* listed) {
    SorBlockBuffer body;
    block.build(record_, body, {});
    const bool measurement = block.name == kSorBlockFxdParams || block.name == kSorBlockDataPts;
    if (measurement || body == Empty(block)) {
      if (listed != nullptr) return SourceBody(*listed).value_or(SorBlockBuffer{});
      if (IsStandardBlock(block.name)) return {};
    }
    return body;
  }

  /// A block this system does not write, as the file held it; a block of a known name in a
  /// revision-1 file gets the identifier that revision leaves out. Nothing when the file ends inside it.
  std::optional<SorBlockBuffer> Copied(const SorMappedBlock& mapped) const {
    std::optional<SorBlockBuffer> bytes = Verbatim(mapped);
    if (!bytes || bytes->empty() || revision2_ || !IsBlockName(mapped.name) ||
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

  /// The file's bytes of a block this system writes, where they are what a revision-2 file holds:
  /// all of them in a revision-2 file; in a revision-1 file those of a block whose layout is the
  /// same in both revisions, under the identifier that revision leaves out.
  std::optional<SorBlockBuffer> SourceBody(const SorMappedBlock& mapped) const {
    if (!revision2_ && !SameLayoutInBothRevisions(mapped.name)) return std::nullopt;
    return Copied(mapped);
  }

  /// The block as a record that holds nothing of it builds it.
  SorBlockBuffer Empty(const WrittenBlock& block) {
    ClearSorRecord(*asRead_);
    asRead_->Map = record_.Map;
    SorBlockBuffer empty;
    block.build(*asRead_, empty, {});
    return empty;
  }

  /// The standard's blocks, as against this system's own.
  static bool IsStandardBlock(std::string_view name) {
    return name != kSorBlockUserName && name != kSorBlockVendor;
  }

  static bool SameLayoutInBothRevisions(std::string_view name) {
    return name == kSorBlockSupParams || name == kSorBlockDataPts || name == kSorBlockVendor;
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

/// The entry of `first`'s name that the reader read its block by (its body where the block was read),
/// else the first that lists a body, else `first`.
const SorMappedBlock& EntryRead(const SorMapLayout& layout, const SorMappedBlock& first, std::int64_t readAt) {
  const auto read = std::find_if(layout.blocks.begin(), layout.blocks.end(), [&](const SorMappedBlock& entry) {
    return entry.size > 0 && entry.offset == readAt && entry.name == first.name;
  });
  if (read != layout.blocks.end()) return *read;
  const SorMappedBlock* listed = layout.Listed(first.name);
  return listed != nullptr ? *listed : first;
}

/// Whether an empty entry repeats a name the map lists with a body, or lists earlier: it adds nothing.
bool EmptyRepeat(const SorMapLayout& layout, const SorMappedBlock& empty) {
  return layout.Listed(empty.name) != nullptr ||
         std::any_of(layout.blocks.data(), &empty, [&](const SorMappedBlock& other) { return other.name == empty.name; });
}

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
      // A block the map lists twice is written once, where it is first listed, from the entry it was read by.
      if (std::find(built.begin(), built.end(), block->name) != built.end()) continue;
      built.push_back(block->name);
      const SorMappedBlock& entry = EntryRead(layout, mapped, record.Source.BlockOffsets[SorParserIndex(block->name)]);
      SorBlockBuffer body = planner.Built(*block, &entry);
      if (!body.empty() || entry.size == 0) {
        planned.push_back({std::string(entry.name), planner.Revision(entry, true), std::move(body)});
      }
      continue;
    }
    if (mapped.size == 0 && EmptyRepeat(layout, mapped)) continue;
    // Blocks the file ends inside of are damaged: what remains of them is left out.
    if (std::optional<SorBlockBuffer> body = planner.Copied(mapped)) {
      planned.push_back({std::string(mapped.name),
                         planner.Revision(mapped, body->size() != static_cast<std::size_t>(mapped.size)), std::move(*body)});
    }
  }
  for (const WrittenBlock& block : kWrittenBlocks) {
    if (block.name == kSorBlockLnkParams || std::find(built.begin(), built.end(), block.name) != built.end()) continue;
    SorBlockBuffer body = planner.Built(block, nullptr);
    if (!body.empty()) planned.push_back({std::string(block.name), kSorRevision2, std::move(body)});
  }
  return planned;
}
