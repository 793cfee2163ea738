#include "interop_variants.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>

#include "analysis/event_measurements.h"
#include "sample_files.h"
#include "sor/sor_reader.h"
#include "sor/sor_writer.h"
#include "trace/trace_conversions.h"

namespace lumivane::test {

namespace {

// A change to a read record; false when the file has nothing it applies to.
using Variant = std::function<bool(SorRecord&)>;

// Instruments place end-to-end marker 2 a few time units (0.15 m) past their End event.
constexpr std::int32_t kMarkerPastEnd = 7;
// Where one tried instrument's user sets the zero: behind a launch cable.
constexpr float kZeroMovedKm = 0.547f;

std::vector<SorKeyEvent>& Rows(SorRecord& record) {
  record.KeyEvents.Events.resize(static_cast<std::size_t>(StoredKeyEventCount(record.KeyEvents)));
  return record.KeyEvents.Events;
}

void Renumber(SorRecord& record) {
  auto& rows = record.KeyEvents.Events;
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].EventNumber = static_cast<std::int16_t>(i + 1);
  record.KeyEvents.KeyEventCount = static_cast<std::int16_t>(rows.size());
}

bool HasStart(const SorRecord& record) { return StoredKeyEventCount(record.KeyEvents) > 1 && IsLaunchEvent(0, record); }

bool MarkerPastEnd(SorRecord& record) {
  const std::int32_t end = EndEventRowOf(record);
  if (end == kNoEndEventRow) return false;
  record.KeyEvents.EndToEndMarker2 = Rows(record)[static_cast<std::size_t>(end)].TimeOfFlight + kMarkerPastEnd;
  return true;
}

// An instrument that stores no Start row counts no loss at the zero: the loss the Start row held
// leaves the link's stored total with it.
bool NoStart(SorRecord& record) {
  if (!HasStart(record) || StoredKeyEventCount(record.KeyEvents) < 3) return false;
  if (record.KeyEvents.EndToEndLoss != 0) record.KeyEvents.EndToEndLoss -= Rows(record).front().SpliceLoss;
  Rows(record).erase(record.KeyEvents.Events.begin());
  Renumber(record);
  return true;
}

// The End event's code says found ('F') instead of end: a file that stores no End.
bool NoEnd(SorRecord& record) {
  const std::int32_t end = EndEventRowOf(record);
  if (end == kNoEndEventRow) return false;
  Rows(record)[static_cast<std::size_t>(end)].EventCode[1] = u'F';
  return true;
}

// The fibre from the launch to the End as one section: the End's slope is what the sections and
// events between lost over its length, as an instrument that found no other event stores it.
std::int16_t SlopeOverLink(const std::vector<SorKeyEvent>& rows, std::size_t end, std::int32_t groupIndex) {
  double loss = 0.0;
  for (std::size_t i = 1; i <= end; ++i) {
    const double section = DistanceOfTime(rows[i].TimeOfFlight - rows[i - 1].TimeOfFlight, groupIndex);
    if (rows[i].Slope <= 0 && section > 0.0) return rows[end].Slope;
    loss += rows[i].Slope * section + (i < end ? rows[i].SpliceLoss : 0);
  }
  const double length = DistanceOfTime(rows[end].TimeOfFlight - rows[0].TimeOfFlight, groupIndex);
  return length > 0.0 ? static_cast<std::int16_t>(std::lround(loss / length)) : rows[end].Slope;
}

bool LaunchAndEnd(SorRecord& record) {
  const std::int32_t end = EndEventRowOf(record);
  if (!HasStart(record) || end == kNoEndEventRow || end < 2) return false;
  auto& rows = Rows(record);
  rows[static_cast<std::size_t>(end)].Slope = SlopeOverLink(rows, static_cast<std::size_t>(end), record.FxdParams.GroupIndex);
  rows = {rows.front(), rows[static_cast<std::size_t>(end)]};
  Renumber(record);
  return true;
}

bool NoWindows(SorRecord& record) {
  for (SorKeyEvent& event : Rows(record)) std::fill(std::begin(event.MarkerLocations), std::end(event.MarkerLocations), 0);
  return !record.KeyEvents.Events.empty();
}

// The zero moves further in and every time the file counts from it moves back by as much, so each
// event stays on its feature; events in front of the new zero lie at negative distances.
bool ZeroMovedIn(SorRecord& record) {
  const std::int32_t shift = TimeOfDistance(kZeroMovedKm, record.FxdParams.GroupIndex);
  if (shift <= 0) return false;
  record.GenParams.UserOffset += shift;
  for (SorKeyEvent& event : Rows(record)) {
    event.TimeOfFlight -= shift;
    for (std::int32_t& location : event.MarkerLocations) {
      if (location != 0) location -= shift;
    }
  }
  record.KeyEvents.EndToEndMarker1 -= shift;
  record.KeyEvents.EndToEndMarker2 -= shift;
  return true;
}

// The slope of the section from the start to the first event behind it (the first event but the
// launch) taken out, as instruments leave it where that section lies in the launch's dead zone.
bool FirstSectionNoSlope(SorRecord& record) {
  const std::size_t first = HasStart(record) ? 1 : 0;
  auto& rows = Rows(record);
  if (rows.size() <= first || rows[first].Slope == 0) return false;
  rows[first].Slope = 0;
  return true;
}

// The End's window before it moved onto the window of the event in front of it: a window that
// measures another piece of fibre, as one instrument writes it.
bool EndWindowBeforePrevious(SorRecord& record) {
  const std::int32_t end = EndEventRowOf(record);
  if (end == kNoEndEventRow || end < 1) return false;
  auto& rows = Rows(record);
  const SorKeyEvent& previous = rows[static_cast<std::size_t>(end - 1)];
  if (previous.MarkerLocations[0] >= previous.MarkerLocations[1]) return false;
  SorKeyEvent& last = rows[static_cast<std::size_t>(end)];
  last.MarkerLocations[0] = previous.MarkerLocations[0];
  last.MarkerLocations[1] = previous.MarkerLocations[1];
  return true;
}

struct NamedVariant {
  const char* name;
  Variant change;
};

NamedVariant Named(InteropVariant variant) {
  switch (variant) {
    case InteropVariant::kMarker2PastEnd: return {"marker 2 past the end", MarkerPastEnd};
    case InteropVariant::kNoStart: return {"no start", NoStart};
    case InteropVariant::kNoEnd: return {"no end", NoEnd};
    case InteropVariant::kLaunchAndEnd: return {"launch and end", LaunchAndEnd};
    case InteropVariant::kNoWindows: return {"no windows", NoWindows};
    case InteropVariant::kZeroMovedIn: return {"zero 547 m in", ZeroMovedIn};
    case InteropVariant::kFirstSectionNoSlope: return {"first section without slope", FirstSectionNoSlope};
    case InteropVariant::kEndWindowBeforePrevious: return {"end window before the previous event", EndWindowBeforePrevious};
  }
  return {"", [](SorRecord&) { return false; }};
}

}  // namespace

std::vector<std::string> WriteInteropVariants(const std::string& sourceDir, const std::string& targetDir,
                                              const std::vector<InteropVariant>& variants) {
  std::vector<std::string> written;
  for (const SampleFile& file : SorFilesIn(sourceDir)) {
    for (const InteropVariant which : variants) {
      const NamedVariant variant = Named(which);
      auto record = std::make_unique<SorRecord>();
      if (ReadSorImage(file.bytes, *record) != SorReadResult::kOk || !variant.change(*record)) continue;
      const std::string name = std::filesystem::path(file.name).stem().string() + " " + variant.name + ".sor";
      if (WriteSorFile(*record, (std::filesystem::path(targetDir) / name).string()) == SorWriteResult::kOk) {
        written.push_back(name);
      }
    }
  }
  return written;
}

}  // namespace lumivane::test
