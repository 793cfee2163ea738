#pragma once
// One SR-4731 trace file in memory: a value with one member per file field; assignment copies it
// whole and value-initialisation clears it. Texts are UTF-16 cells holding one file byte each,
// always zero-terminated within their capacity. The key events, the samples and the source file's
// bytes are stored as many as the file has; the rest is about 8 KB: keep the record on the heap or
// in static storage, never on the stack.
#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "sor/sor_key_event.h"

/// Largest trace file any reader accepts and any writer produces, in bytes.
inline constexpr int MaxTraceFileSize = 294912;

inline constexpr int kSorNameCapacity = 30;       // block and map-entry names
inline constexpr int kSorTextCapacity = 101;      // general variable texts (100 characters)
inline constexpr int kSorCableCodeCapacity = 20;  // cable code (19 characters)
inline constexpr int kSorLandmarkCommentCapacity = 21;

inline constexpr int kSorMaxMapEntries = 20;
inline constexpr int kSorMaxPulseWidths = 5;
inline constexpr int kSorMaxKeyEvents = 1000;
inline constexpr int kSorMaxLandmarks = 20;
inline constexpr int kSorMaxTraces = 5;
inline constexpr int kSorMaxSamples = 80000;
inline constexpr int kSorLossTableSize = 200;

/// Magic number that marks a valid UserName block.
inline constexpr std::int32_t kSorUserMagic = 31415926;
/// Lowest UserName version that carries a block at all.
inline constexpr std::int32_t kSorUserVerMin = 200;
/// UserName versions from which a group of fields is present.
inline constexpr std::int32_t kSorUserVerGroup201 = 201;  // T, Amp, Count ... reserved values
inline constexpr std::int32_t kSorUserVerGroup202 = 202;  // stored loss table and launch level
inline constexpr std::int32_t kSorUserVerCursors = 203;   // stored cursors are kept

struct SorMapEntry {
  char16_t Name[kSorNameCapacity];
  std::uint16_t Revision;  // block revision, 200 = 2.00 (stored, never tested)
  std::int32_t Size;       // bytes of the block, identifier included; 0 = block absent
};

struct SorMapBlock {
  char16_t Name[kSorNameCapacity];  // "Map"
  std::uint16_t Revision;           // 200 for revision 2.00
  std::int32_t MapSize;             // bytes of the whole Map block
  std::int16_t BlockCount;          // entries that follow, the Map itself not counted
  SorMapEntry Entries[kSorMaxMapEntries];
};

struct SorGenParams {
  char16_t Name[kSorNameCapacity];
  char16_t LanguageCode[3];  // 2 characters, e.g. "EN"
  char16_t CableId[kSorTextCapacity];
  char16_t FiberId[kSorTextCapacity];
  std::int16_t FiberType;          // ITU-T recommendation number (651, 652, 653, 655); revision 2 only
  std::int16_t NominalWavelength;  // nm
  char16_t OriginatingLocation[kSorTextCapacity];
  char16_t TerminatingLocation[kSorTextCapacity];
  char16_t CableCode[kSorCableCodeCapacity];
  char16_t CurrentDataFlag[3];  // 2 characters
  std::int32_t UserOffset;
  std::int32_t UserOffsetDistance;  // revision 2 only
  char16_t Operator[kSorTextCapacity];
  char16_t Comment[kSorTextCapacity];
};

struct SorSupParams {
  char16_t Name[kSorNameCapacity];
  char16_t SupplierName[kSorTextCapacity];
  char16_t MainframeId[kSorTextCapacity];
  char16_t MainframeSerial[kSorTextCapacity];
  char16_t OpticalModuleId[kSorTextCapacity];
  char16_t OpticalModuleSerial[kSorTextCapacity];
  char16_t SoftwareRevision[kSorTextCapacity];
  char16_t Other[kSorTextCapacity];
};

struct SorFxdParams {
  char16_t Name[kSorNameCapacity];
  std::uint32_t DateTime;      // seconds since 1970-01-01 00:00:00
  char16_t DistanceUnits[3];   // 2 characters: "mt" (km), "ft" (kft), "mi" (mi)
  std::int16_t ActualWavelength;  // 0.1 nm (13100 = 1310 nm); see the wavelength-field helper
  std::int32_t AcquisitionOffset;
  std::int32_t AcquisitionOffsetDistance;  // revision 2 only
  std::int16_t PulseWidthCount;            // N, 0..kSorMaxPulseWidths after a read
  std::int16_t PulseWidths[kSorMaxPulseWidths];      // ns
  std::int32_t DataSpacing[kSorMaxPulseWidths];      // time of flight of 10,000 samples, 100 ps
  std::int32_t DataPointCounts[kSorMaxPulseWidths];  // samples per pulse width
  std::int32_t GroupIndex;       // group index x 100,000
  std::int16_t Backscatter;      // 0.1 dB (see UserName BackscatterMode)
  std::int32_t AverageCount;     // number of averages
  std::int16_t AveragingTime;    // 0.1 s; revision 2 only
  std::int32_t AcquisitionRange;          // 100 ps
  std::int32_t AcquisitionRangeDistance;  // revision 1: the field after the acquisition range
  std::int32_t FrontPanelOffset;          // revision 2 only
  std::uint16_t NoiseFloorLevel;
  std::int16_t NoiseFloorScale;
  std::uint16_t PowerOffsetFirstPoint;
  std::uint16_t LossThreshold;         // 0.001 dB
  std::uint16_t ReflectanceThreshold;  // 0.001 dB
  std::uint16_t EndOfFibreThreshold;   // 0.001 dB
  char16_t TraceType[3];               // 2 characters; revision 2 only
  std::int32_t WindowCoordinates[4];   // revision 2 only
};

struct SorKeyEvents {
  char16_t Name[kSorNameCapacity];
  std::int16_t KeyEventCount;  // rows in use, 0..kSorMaxKeyEvents after a read
  std::vector<SorKeyEvent> Events;  // KeyEventCount of them after a read
  std::int32_t EndToEndLoss;     // 0.001 dB
  std::int32_t EndToEndMarker1;  // time of flight, 0.1 ns
  std::int32_t EndToEndMarker2;  // time of flight, 0.1 ns
  std::uint16_t OpticalReturnLoss;  // 0.001 dB; also the cache of the computed link ORL
  std::int32_t OrlMarker1;  // time of flight, 0.1 ns
  std::int32_t OrlMarker2;  // time of flight, 0.1 ns
};

/// Rows of the key-event table that hold an event: the count, within the stored rows and the cap.
inline std::int32_t StoredKeyEventCount(const SorKeyEvents& events) {
  const auto stored = static_cast<std::int32_t>(std::min<std::size_t>(events.Events.size(), kSorMaxKeyEvents));
  return std::clamp<std::int32_t>(events.KeyEventCount, 0, stored);
}

/// Key event `row`, or an empty row where the table holds no event: a row number chosen on screen
/// can outlive the table it was chosen from.
const SorKeyEvent& KeyEventRow(const SorKeyEvents& events, std::int32_t row);

/// End-event row index of a table without an end event.
inline constexpr std::int32_t kNoEndEventRow = 999;

/// True when the second code character marks the end of the fibre ('E', or 'D' as older files write).
bool IsEndEventCode(const SorKeyEvent& event);

struct SorLandmark {
  std::int16_t Number;
  char16_t Code[2];  // 2 characters, not terminated
  std::int32_t Location;
  std::int16_t RelatedEvent;
  std::int32_t GpsLongitude;
  std::int32_t GpsLatitude;
  std::int16_t FiberCorrectionFactor;
  std::int32_t SheathMarkerEntering;
  std::int32_t SheathMarkerLeaving;
  std::uint8_t SheathMarkUnits[2];  // 2 characters, not terminated
  std::int16_t ModeFieldDiameter;
  char16_t Comment[kSorLandmarkCommentCapacity];
};

/// Read only: landmarks are never written back.
struct SorLnkParams {
  char16_t Name[kSorNameCapacity];
  std::int16_t LandmarkCount;  // 0..kSorMaxLandmarks after a read
  SorLandmark Landmarks[kSorMaxLandmarks];
};

struct SorTraceData {
  std::int32_t PointCount;   // 0..kSorMaxSamples after a read
  std::int16_t ScaleFactor;  // dB = sample / ScaleFactor (the display model's rule)
  std::vector<std::uint16_t> Samples;  // larger = weaker signal; PointCount of them after a read
};

/// Points of a trace that carry a sample: the point count, within the stored samples and the cap.
inline std::int32_t StoredPointCount(const SorTraceData& trace) {
  const auto stored = static_cast<std::int32_t>(std::min<std::size_t>(trace.Samples.size(), kSorMaxSamples));
  return std::clamp<std::int32_t>(trace.PointCount, 0, stored);
}

struct SorDataPts {
  char16_t Name[kSorNameCapacity];
  std::int32_t TotalPointCount;
  std::int16_t TraceCount;  // 0..kSorMaxTraces after a read
  SorTraceData Traces[kSorMaxTraces];
};

/// This system's own block; valid when UserVer >= 200 and Magic == kSorUserMagic.
struct SorUserName {
  char16_t Name[kSorNameCapacity];
  std::int32_t UserVer;     // block version, 200..203
  std::int32_t Magic;       // kSorUserMagic
  std::int32_t ReflAdjust;  // 0.001 dB, added to computed reflectances
  std::int32_t T;           // carried unchanged
  std::int32_t Amp;         // carried unchanged
  std::int32_t Count;       // carried unchanged
  std::int32_t Reserved1[3];
  std::int32_t BackscatterMode;  // 100 selects the alternative backscatter convention
  std::int32_t StoredCursorA;    // sample index of marker A; kept only from version 203
  std::int32_t StoredCursorB;    // sample index of marker B; kept only from version 203
  std::int32_t DistanceCorrection;  // parts per 100,000; 0 when the file carries none
  std::int32_t Reserved2[23];
  std::int32_t StoredLossCount;    // valid entries of EventLossTable (version 202 on)
  std::int32_t StoredLaunchLevel;  // 0.001 dB; written as its absolute value
  std::int32_t EventLossTable[kSorLossTableSize];  // cumulative loss per event, 0.001 dB
};

struct SorVendorParams {
  char16_t Name[kSorNameCapacity];  // "NorvalexParams"
  char16_t JobID[kSorTextCapacity];
  char16_t Customer[kSorTextCapacity];
};

struct SorChecksum {
  char16_t Name[kSorNameCapacity];
  std::uint16_t Checksum;  // as stored in the file; never tested on read
};

/// Blocks the readers parse, one offset each in SorSource (in the order of kSorBlockParsers).
inline constexpr int kSorParsedBlockCount = 9;

/// The file a record was read from and where its blocks were read, so that a save can write back
/// every byte it did not mean to change. Length 0: the record was not read from a file.
struct SorSource {
  std::int32_t Length;
  std::int32_t BlockOffsets[kSorParsedBlockCount];  // -1: the block was not read
  std::int32_t BlockEnds[kSorParsedBlockCount];     // where the block ends: nothing past it was read
  /// One bit per parsed block (1 << its index): its records or texts ran past its end, a count in it
  /// was impossible, or the map placed it elsewhere or listed it where it is not.
  std::uint16_t DamagedBlocks;
  std::uint8_t SamplesCut;  // 1 when a trace held more samples than kSorMaxSamples
  std::vector<std::uint8_t> Bytes;  // Length of them; at most MaxTraceFileSize
};

struct SorRecord {
  SorMapBlock Map;
  SorGenParams GenParams;
  SorSupParams SupParams;
  SorFxdParams FxdParams;
  SorKeyEvents KeyEvents;
  SorLnkParams LnkParams;
  SorDataPts DataPts;
  SorUserName UserName;
  SorVendorParams NorvalexParams;
  SorChecksum Cksum;
  SorSource Source;
};

// Every block but those of the key events and the samples is a plain value that can be cleared in place.
static_assert(std::is_trivially_copyable_v<SorMapBlock> && std::is_trivially_copyable_v<SorGenParams> &&
              std::is_trivially_copyable_v<SorSupParams> && std::is_trivially_copyable_v<SorFxdParams> &&
              std::is_trivially_copyable_v<SorKeyEvent> && std::is_trivially_copyable_v<SorLnkParams> &&
              std::is_trivially_copyable_v<SorUserName> && std::is_trivially_copyable_v<SorVendorParams> &&
              std::is_trivially_copyable_v<SorChecksum>);

/// Empties the record in place, as value-initialisation would, without a temporary of its size.
void ClearSorRecord(SorRecord& record);

/// Position of the first key event that ends the fibre, or kNoEndEventRow.
std::int32_t EndEventRowOf(const SorRecord& record);
