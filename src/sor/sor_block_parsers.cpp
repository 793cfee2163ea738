#include "sor/sor_block_parsers.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sor/byte_reader.h"
#include "sor/sor_format.h"
#include "sor/sor_text.h"
#include "sor/sor_text_sanitizer.h"

using lumivane::ByteReader;

namespace {

// Revision-1 key events lack the five marker locations.
constexpr std::int64_t kV2EventFixedBytes = 42;
constexpr std::int64_t kV1EventFixedBytes = 22;
// The UserName group of version 201 and later is read only when the map's "UserName" entry is
// long enough to hold it.
constexpr std::int32_t kUserGroup201MinSize = 149;
// Revision-1 files have no trace type; the standard's value for an ordinary trace.
constexpr std::string_view kStandardTraceType = "ST";

/// Opens a block: stores its name, and reports whether it starts with its identifier.
struct BlockStart {
  ByteReader reader;
  bool hasIdentifier;
};

template <std::size_t N>
BlockStart OpenBlock(SorImage image, std::int64_t start, std::string_view name, char16_t (&nameField)[N],
                     SorTextLog* log) {
  ByteReader reader(image, start);
  const bool hasIdentifier = reader.NameAt(start, name);
  if (hasIdentifier) reader.Skip(static_cast<std::int64_t>(name.size()) + 1);
  reader.LogTextsTo(log);
  SetSorText(nameField, name);
  return {reader, hasIdentifier};
}

/// Size of the first map entry named `name` that lists a body (an empty entry repeating the name
/// says nothing of the block), or 0 when the map lists none.
std::int32_t MappedSize(const SorMapBlock& map, std::string_view name) {
  for (const SorMapEntry& entry : map.Entries) {
    if (entry.Size > 0 && SorTextEquals(SorTextView(entry.Name), name)) return entry.Size;
  }
  return 0;
}

bool BeyondImage(SorImage image, std::int64_t start) { return start > static_cast<std::int64_t>(image.size()); }

void NoteDamage(SorRecord& record, std::string_view block) { record.Source.DamagedBlocks |= SorBlockBit(block); }

/// How many of `count` records of `recordBytes` each fit between the reader's position and the end
/// of its block with `trailingBytes` after them; a count that does not fit, or is negative, is damage.
std::int64_t FittingCount(const ByteReader& in, std::int64_t count, std::int64_t recordBytes,
                          std::int64_t trailingBytes, SorRecord& record, std::string_view block) {
  const std::int64_t room = std::max<std::int64_t>(in.Length() - in.Position() - trailingBytes, 0);
  const std::int64_t fitting = std::clamp<std::int64_t>(count, 0, room / recordBytes);
  if (fitting != count) NoteDamage(record, block);
  return fitting;
}


void ReadKeyEvent(ByteReader& in, bool revision2, SorKeyEvent& event) {
  event.EventNumber = in.I16();
  event.TimeOfFlight = in.I32();
  event.Slope = in.I16();
  event.SpliceLoss = in.I16();
  event.Reflectance = in.I32();
  in.FixedText(event.EventCode, kSorEventCodeLength);
  in.FixedText(event.LossTechnique, 2);
  if (revision2) {
    for (auto& location : event.MarkerLocations) location = in.I32();
  }
  in.Text(event.Comment, kSorEventCommentCapacity);
}

void SkipKeyEvent(ByteReader& in, bool revision2) {
  in.Skip(revision2 ? kV2EventFixedBytes : kV1EventFixedBytes);
  in.Text(nullptr, 0);
}

// End-to-end loss, its two markers, the return loss and its two markers follow the events.
constexpr std::int64_t kKeyEventsTrailingBytes = 22;
// Fields of FxdParams after the per-pulse-width lists, in each layout.
constexpr std::int64_t kV2FxdTrailingBytes = 54;
constexpr std::int64_t kV1FxdTrailingBytes = 30;
// One pulse width, its data spacing and its point count.
constexpr std::int64_t kPulseWidthBytes = 10;
// A landmark without its comment, and the point count and scale factor that open a trace.
constexpr std::int64_t kLandmarkFixedBytes = 32;
constexpr std::int64_t kTraceHeaderBytes = 6;

// Which bytes end a block name: the zeros after any other byte are passed over at once.
constexpr std::array<bool, 256> kEndsAName = [] {
  std::array<bool, 256> ends{};
  for (const std::string_view name : kSorBlockNames) ends[static_cast<unsigned char>(name.back())] = true;
  return ends;
}();

#if defined(__SSE2__)
// The distinct last letters of the block names, for the sixteen-byte search.
struct NameEndings {
  std::array<char, kSorBlockNames.size()> letters{};
  std::size_t count = 0;
};
constexpr NameEndings kNameEndings = [] {
  NameEndings endings;
  for (const std::string_view name : kSorBlockNames) {
    const auto known = endings.letters.begin() + static_cast<std::ptrdiff_t>(endings.count);
    if (std::find(endings.letters.begin(), known, name.back()) == known) endings.letters[endings.count++] = name.back();
  }
  return endings;
}();
#endif

// The first zero byte in [from, end) whose byte before ends a block name, or end. from[-1] must be
// readable. memchr jumps over stretches without a zero byte; where zeros are dense (the high bytes
// of small sample values) sixteen bytes are judged at a time, stopping only where a name can end.
const std::uint8_t* NextNameEnd(const std::uint8_t* from, const std::uint8_t* end) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (end - from >= 16) {
    const int zeros = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), zero));
    if (zeros == 0) {
      from = static_cast<const std::uint8_t*>(std::memchr(from + 16, 0, static_cast<std::size_t>(end - from - 16)));
      if (from == nullptr) return end;
      continue;
    }
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from - 1));
    __m128i endsName = zero;
    for (std::size_t k = 0; k < kNameEndings.count; ++k) {
      endsName = _mm_or_si128(endsName, _mm_cmpeq_epi8(before, _mm_set1_epi8(kNameEndings.letters[k])));
    }
    const auto hits = static_cast<unsigned>(zeros & _mm_movemask_epi8(endsName));
    if (hits != 0) return from + std::countr_zero(hits);
    from += 16;
  }
#endif
  for (; from < end; ++from) {
    if (*from == 0 && kEndsAName[from[-1]]) return from;
  }
  return end;
}

// Calls visit(name index, position) for every block name followed by its zero byte at or after
// start, in file order, until visit returns false.
template <typename Visit>
void ScanBlockNames(SorImage image, std::int64_t start, Visit visit) {
  if (start < 0 || start >= static_cast<std::int64_t>(image.size())) return;
  const std::uint8_t* data = image.data();
  const std::uint8_t* first = data + start;
  const std::uint8_t* end = data + image.size();
  // A zero at start itself has no room for a name before it.
  for (const std::uint8_t* zero = NextNameEnd(first + 1, end); zero < end; zero = NextNameEnd(zero + 1, end)) {
    const std::int64_t room = zero - first;
    for (std::size_t index = 0; index < kSorBlockNames.size(); ++index) {
      const std::string_view name = kSorBlockNames[index];
      const auto length = static_cast<std::int64_t>(name.size());
      if (length <= room && std::memcmp(zero - length, name.data(), name.size()) == 0) {
        // None of the ten names ends another, so at most one matches here.
        if (!visit(index, zero - length - data)) return;
        break;
      }
    }
  }
}

}  // namespace

void KeepSorSource(SorImage image, SorSource& source) {
  const std::size_t length = std::min(image.size(), static_cast<std::size_t>(MaxTraceFileSize));
  source.Bytes.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
  source.Length = static_cast<std::int32_t>(length);
  std::fill(std::begin(source.BlockOffsets), std::end(source.BlockOffsets), -1);
  std::fill(std::begin(source.BlockEnds), std::end(source.BlockEnds), 0);
  source.DamagedBlocks = 0;
}

std::vector<std::uint8_t> WithBlockIdentifier(SorImage image, std::int64_t start, std::int64_t end,
                                              std::string_view name) {
  const auto length = static_cast<std::size_t>(std::clamp<std::int64_t>(end, 0, static_cast<std::int64_t>(image.size())));
  std::vector<std::uint8_t> mended(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
  const auto at = static_cast<std::size_t>(std::clamp<std::int64_t>(start, 0, static_cast<std::int64_t>(length)));
  const std::size_t room = std::min(name.size() + 1, length - at);
  std::copy_n(name.begin(), std::min(name.size(), room), mended.begin() + static_cast<std::ptrdiff_t>(at));
  if (room > name.size()) mended[at + name.size()] = 0;
  return mended;
}

std::size_t SorParserIndex(std::string_view name) {
  for (std::size_t index = 0; index < kSorBlockParsers.size(); ++index) {
    if (kSorBlockParsers[index].name == name) return index;
  }
  return kSorBlockParsers.size();
}

std::uint16_t SorBlockBit(std::string_view name) {
  const std::size_t index = SorParserIndex(name);
  return index < kSorBlockParsers.size() ? static_cast<std::uint16_t>(1u << index) : std::uint16_t{0};
}

std::int64_t ParseSourceBlock(std::size_t index, SorImage image, std::int64_t start, std::int64_t end,
                              SorRecord& record) {
  end = std::clamp<std::int64_t>(end, 0, static_cast<std::int64_t>(image.size()));
  const std::int64_t after = kSorBlockParsers[index].parse(image.first(static_cast<std::size_t>(end)), start, record, nullptr);
  if (after <= 0) return after;
  record.Source.BlockOffsets[index] = static_cast<std::int32_t>(start);
  record.Source.BlockEnds[index] = static_cast<std::int32_t>(end);
  if (after > end) NoteDamage(record, kSorBlockParsers[index].name);
  return after;
}

std::int64_t FindSorBlock(SorImage image, std::int64_t start, std::string_view name) {
  const auto known = std::find(kSorBlockNames.begin(), kSorBlockNames.end(), name);
  if (known == kSorBlockNames.end()) return -1;
  std::int64_t found = -1;
  ScanBlockNames(image, start, [&](std::size_t index, std::int64_t at) {
    if (kSorBlockNames[index] != name) return true;
    found = at;
    return false;
  });
  return found;
}

std::vector<SorBlockName> ListSorBlockNames(SorImage image) {
  std::vector<SorBlockName> names;
  ScanBlockNames(image, 0, [&](std::size_t index, std::int64_t at) {
    names.push_back({index, at});
    return true;
  });
  return names;
}

std::int64_t ParseGenParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  auto& gen = record.GenParams;
  auto [in, revision2] = OpenBlock(image, start, kSorBlockGenParams, gen.Name, log);
  in.FixedText(gen.LanguageCode, 2);
  in.Text(gen.CableId, kSorTextCapacity);
  in.Text(gen.FiberId, kSorTextCapacity);
  if (revision2) gen.FiberType = in.I16();
  gen.NominalWavelength = in.I16();
  in.Text(gen.OriginatingLocation, kSorTextCapacity);
  in.Text(gen.TerminatingLocation, kSorTextCapacity);
  in.Text(gen.CableCode, kSorCableCodeCapacity);
  in.FixedText(gen.CurrentDataFlag, 2);
  gen.UserOffset = in.I32();
  // Revision-1 instruments write the operator right after the user offset; reading a distance
  // there would take the operator's bytes and shift the comment into the next block.
  if (revision2) gen.UserOffsetDistance = in.I32();
  in.Text(gen.Operator, kSorTextCapacity);
  in.Text(gen.Comment, kSorTextCapacity);
  for (char16_t* text : {gen.CableId, gen.FiberId, gen.OriginatingLocation, gen.TerminatingLocation}) {
    SanitizeFileText(text);
  }
  return in.Position();
}

std::int64_t ParseSupParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  auto& sup = record.SupParams;
  ByteReader in = OpenBlock(image, start, kSorBlockSupParams, sup.Name, log).reader;
  for (char16_t* text : {sup.SupplierName, sup.MainframeId, sup.MainframeSerial, sup.OpticalModuleId,
                         sup.OpticalModuleSerial, sup.SoftwareRevision, sup.Other}) {
    in.Text(text, kSorTextCapacity);
    SanitizeFileText(text);
  }
  return in.Position();
}

std::int64_t ParseFxdParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  auto& fxd = record.FxdParams;
  auto [in, revision2] = OpenBlock(image, start, kSorBlockFxdParams, fxd.Name, log);
  fxd.DateTime = in.U32();
  in.FixedText(fxd.DistanceUnits, 2);
  fxd.ActualWavelength = in.I16();
  fxd.AcquisitionOffset = in.I32();
  if (revision2) fxd.AcquisitionOffsetDistance = in.I32();
  const std::int64_t widthsInFile =
      FittingCount(in, in.I16(), kPulseWidthBytes, revision2 ? kV2FxdTrailingBytes : kV1FxdTrailingBytes, record,
                   kSorBlockFxdParams);
  const int stored = ClampSorCount(widthsInFile, kSorMaxPulseWidths);
  const std::int64_t extra = widthsInFile - stored;
  fxd.PulseWidthCount = static_cast<std::int16_t>(stored);
  for (int i = 0; i < stored; ++i) fxd.PulseWidths[i] = in.I16();
  in.Skip(extra * 2);
  for (int i = 0; i < stored; ++i) fxd.DataSpacing[i] = in.I32();
  in.Skip(extra * 4);
  for (int i = 0; i < stored; ++i) fxd.DataPointCounts[i] = in.I32();
  in.Skip(extra * 4);
  fxd.GroupIndex = in.I32();
  fxd.Backscatter = in.I16();
  fxd.AverageCount = in.I32();
  if (revision2) fxd.AveragingTime = in.I16();
  fxd.AcquisitionRange = in.I32();
  fxd.AcquisitionRangeDistance = in.I32();
  if (revision2) fxd.FrontPanelOffset = in.I32();
  fxd.NoiseFloorLevel = in.U16();
  fxd.NoiseFloorScale = in.I16();
  fxd.PowerOffsetFirstPoint = in.U16();
  fxd.LossThreshold = in.U16();
  fxd.ReflectanceThreshold = in.U16();
  fxd.EndOfFibreThreshold = in.U16();
  if (revision2) {
    in.FixedText(fxd.TraceType, 2);
    for (auto& coordinate : fxd.WindowCoordinates) coordinate = in.I32();
  } else {
    SetSorText(fxd.TraceType, kStandardTraceType);
  }
  return in.Position();
}

std::int64_t ParseKeyEvents(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  auto& events = record.KeyEvents;
  auto [in, revision2] = OpenBlock(image, start, kSorBlockKeyEvents, events.Name, log);
  const std::int16_t countInFile = in.I16();
  if (countInFile < 0) NoteDamage(record, kSorBlockKeyEvents);
  // Events are read while each, with the fields that close the block, lies inside the block; an
  // event that would reach past it means the count is damaged, and reading stops before it.
  const std::int64_t fixedBytes = revision2 ? kV2EventFixedBytes : kV1EventFixedBytes;
  events.Events.resize(static_cast<std::size_t>(ClampSorCount(countInFile, kSorMaxKeyEvents)));
  int stored = 0;
  SorKeyEvent ignored{};
  for (int k = 0; k < countInFile; ++k) {
    const std::int64_t eventStart = in.Position();
    if (eventStart + fixedBytes + 1 + kKeyEventsTrailingBytes > in.Length()) {
      NoteDamage(record, kSorBlockKeyEvents);
      break;
    }
    if (k < kSorMaxKeyEvents) {
      ReadKeyEvent(in, revision2, events.Events[static_cast<std::size_t>(k)]);
    } else {
      SkipKeyEvent(in, revision2);
    }
    if (in.Position() + kKeyEventsTrailingBytes > in.Length()) {
      if (k < kSorMaxKeyEvents) events.Events[static_cast<std::size_t>(k)] = ignored;
      in.Seek(eventStart);
      NoteDamage(record, kSorBlockKeyEvents);
      break;
    }
    if (k < kSorMaxKeyEvents) ++stored;
  }
  events.Events.resize(static_cast<std::size_t>(stored));
  events.KeyEventCount = static_cast<std::int16_t>(stored);
  events.EndToEndLoss = in.I32();
  events.EndToEndMarker1 = in.I32();
  events.EndToEndMarker2 = in.I32();
  events.OpticalReturnLoss = in.U16();
  events.OrlMarker1 = in.I32();
  events.OrlMarker2 = in.I32();
  return in.Position();
}

std::int64_t ParseLnkParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  auto& links = record.LnkParams;
  ByteReader in = OpenBlock(image, start, kSorBlockLnkParams, links.Name, log).reader;
  const std::int16_t countInFile = in.I16();
  if (countInFile < 0) NoteDamage(record, kSorBlockLnkParams);
  SorLandmark ignored{};
  int read = 0;
  for (int k = 0; k < countInFile; ++k) {
    // A landmark that would reach past the block means the count is damaged: it is not read.
    if (in.Position() + kLandmarkFixedBytes + 1 > in.Length()) {
      NoteDamage(record, kSorBlockLnkParams);
      break;
    }
    SorLandmark& mark = k < kSorMaxLandmarks ? links.Landmarks[k] : ignored;
    mark.Number = in.I16();
    in.RawText(mark.Code, 2);
    mark.Location = in.I32();
    mark.RelatedEvent = in.I16();
    mark.GpsLongitude = in.I32();
    mark.GpsLatitude = in.I32();
    mark.FiberCorrectionFactor = in.I16();
    mark.SheathMarkerEntering = in.I32();
    mark.SheathMarkerLeaving = in.I32();
    mark.SheathMarkUnits[0] = in.U8();
    mark.SheathMarkUnits[1] = in.U8();
    mark.ModeFieldDiameter = in.I16();
    in.Text(mark.Comment, kSorLandmarkCommentCapacity);
    // A comment that ran past the block: that landmark is not one (the parse still ends past it).
    if (in.Position() > in.Length()) {
      mark = SorLandmark{};
      break;
    }
    ++read;
  }
  links.LandmarkCount = static_cast<std::int16_t>(ClampSorCount(read, kSorMaxLandmarks));
  return in.Position();
}

std::int64_t ParseDataPts(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  auto& data = record.DataPts;
  ByteReader in = OpenBlock(image, start, kSorBlockDataPts, data.Name, log).reader;
  data.TotalPointCount = in.I32();
  const std::int16_t tracesInFile = in.I16();
  if (tracesInFile < 0) NoteDamage(record, kSorBlockDataPts);
  int traces = 0;
  for (int t = 0; t < tracesInFile; ++t) {
    // A trace whose count and scale, or whose samples, would reach past the block means a damaged
    // count: only what lies inside the block is read.
    if (in.Position() + kTraceHeaderBytes > in.Length()) {
      NoteDamage(record, kSorBlockDataPts);
      break;
    }
    ++traces;
    const std::int32_t pointsInFile = in.I32();
    const std::int16_t scale = in.I16();
    const std::int64_t points = FittingCount(in, pointsInFile, 2, 0, record, kSorBlockDataPts);
    if (t >= kSorMaxTraces) {
      in.Skip(points * 2);
      continue;
    }
    auto& trace = data.Traces[t];
    const int stored = ClampSorCount(points, kSorMaxSamples);
    if (stored < points) record.Source.SamplesCut = 1;
    trace.PointCount = stored;
    trace.ScaleFactor = scale;
    trace.Samples.resize(static_cast<std::size_t>(stored));
    in.U16Array(trace.Samples.data(), stored);
    in.Skip((points - stored) * 2);
  }
  data.TraceCount = static_cast<std::int16_t>(ClampSorCount(traces, kSorMaxTraces));
  return in.Position();
}

std::int64_t ParseUserName(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* /*log*/) {
  if (BeyondImage(image, start)) return 0;
  auto& user = record.UserName;
  user = SorUserName{};
  SetSorText(user.Name, kSorBlockUserName);
  ByteReader in(image, start);
  in.Skip(static_cast<std::int64_t>(kSorBlockUserName.size()) + 1);
  user.UserVer = in.I32();
  user.Magic = in.I32();
  if (user.Magic != kSorUserMagic || user.UserVer < kSorUserVerMin) return in.Position();
  user.ReflAdjust = in.I32();
  if (user.UserVer < kSorUserVerGroup201 || MappedSize(record.Map, kSorBlockUserName) < kUserGroup201MinSize) {
    return in.Position();
  }
  user.T = in.I32();
  user.Amp = in.I32();
  user.Count = in.I32();
  for (auto& value : user.Reserved1) value = in.I32();
  user.BackscatterMode = in.I32();
  const std::int32_t cursorA = in.I32();
  const std::int32_t cursorB = in.I32();
  if (user.UserVer >= kSorUserVerCursors) {
    user.StoredCursorA = cursorA;
    user.StoredCursorB = cursorB;
  }
  user.DistanceCorrection = in.I32();
  for (auto& value : user.Reserved2) value = in.I32();
  if (user.UserVer >= kSorUserVerGroup202) {
    user.StoredLossCount = in.I32();
    user.StoredLaunchLevel = in.I32();
    for (auto& value : user.EventLossTable) value = in.I32();
  }
  return in.Position();
}

std::int64_t ParseVendorParams(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  auto& vendor = record.NorvalexParams;
  ByteReader in = OpenBlock(image, start, kSorBlockVendor, vendor.Name, log).reader;
  in.Text(vendor.JobID, kSorTextCapacity);
  in.Text(vendor.Customer, kSorTextCapacity);
  return in.Position();
}

std::int64_t ParseChecksum(SorImage image, std::int64_t start, SorRecord& record, SorTextLog* log) {
  if (BeyondImage(image, start)) return 0;
  ByteReader in = OpenBlock(image, start, kSorBlockCksum, record.Cksum.Name, log).reader;
  record.Cksum.Checksum = in.U16();
  return in.Position();
}
