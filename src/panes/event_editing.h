#pragma once
// Deleting and adding events on the document's key events. Both edit the SR-4731 key events, rebuild
// the event rows from them, ask the panes to redraw and mark the document modified, so that Save
// writes the edited events. Add Event proposes the new event's values from the trace at the active
// marker; the user only confirms or declines them.
#include <array>
#include <cstdint>

#include "trace/display_records.h"

class COtdrDoc;
class AddEventMeasurements;

/// Whether a measured value is missing (kMissingValue, or not finite): shown as "-.---", stored as 0.
bool IsMissingValue(float value);

/// 1 when any event row of the document is an end event, else 0.
int HasEndEvent(const COtdrDoc& doc);

/// Removes the event of row `r`: the later key events move down and are renumbered one lower, the
/// loss table follows within its entries, the rows are rebuilt and the panes told. Returns false and
/// changes nothing when `r` is not a key event.
bool DeleteEvent(COtdrDoc& doc, int r);

/// What the Add Event dialog accepts (dB), for every value it stores.
inline constexpr double kAddEventReflectanceMin = -78.0;
inline constexpr double kAddEventReflectanceMax = 0.0;
inline constexpr double kAddEventLossLimit = 32.0;
inline constexpr double kAddEventCumulativeLossMax = 100.0;

/// The event Add Event proposes, as its dialog shows it (distances in the display unit); a value
/// the trace does not give, or gives outside what the dialog accepts, is kMissingValue.
struct AddEventProposal {
  int type = kEventEnd;        // kEventEnd, kEventReflective or kEventNonReflective
  float location = 0.0f;       // display unit
  float reflectance = 0.0f;    // dB
  float attenuation = 0.0f;    // dB per display unit
  float insertionLoss = 0.0f;  // dB; kMissingValue when the trace gives none (as the other values)
  float cumulativeLoss = 0.0f;  // dB
  double locationMax = 0.0;    // bounds the dialog accepts
  double attenuationMin = 0.0;
  double attenuationMax = 0.0;
  std::array<AuxMarker, 4> working{};  // the windows measured, written into the new key event
};

/// Why Add Event refuses.
enum class AddEventRefusal { None, EventAlreadyHere, EndAlreadyExists };

/// The proposal for an event at the active marker, measured with `measurements`; `refusal` says
/// EventAlreadyHere when an event lies within 0.00001 km of the marker.
struct AddEventStart {
  AddEventRefusal refusal = AddEventRefusal::None;
  AddEventProposal proposal;
};
AddEventStart ProposeEvent(const COtdrDoc& doc, AddEventMeasurements& measurements);

/// Checks a confirmed proposal against the key events: a second end, or an event within one and a
/// half sample spacings of the new one, is refused.
AddEventRefusal CheckProposal(const COtdrDoc& doc, const AddEventProposal& proposal);

/// Inserts the proposed event in time order, renumbers the key events, keeps the loss table in step,
/// records an end event's end-to-end values, rebuilds the summary and rows and tells the panes.
void InsertEvent(COtdrDoc& doc, const AddEventProposal& proposal);
