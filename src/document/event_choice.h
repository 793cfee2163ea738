#pragma once
// Choosing an event, by its row in the event table or by its number in the plot or the link map:
// the selected row, the current event and the active marker move together.

class COtdrDoc;
struct DisplayState;

/// Chooses row `r` (-1: no row): records it as the selected row and the table's snap event, and on
/// a row of an event makes it the current event and puts the active marker on it. Returns whether
/// an event was chosen, which the caller announces with the event-chosen hint.
bool ChooseEventRow(COtdrDoc& doc, DisplayState& display, int r);

/// A trace just read into the document has no chosen event: no row is selected, the current event
/// is the first row, and no marker stands on a row the table chose, so the markers, the table and
/// the readings all start from where the file put the markers.
void ForgetEventChoice(COtdrDoc& doc, DisplayState& display);

/// After `by` rows (1 added, -1 deleted) at row `r`: the current event and the selected row that lay
/// beyond it move with their event, so the table, the marker and the readings keep to it.
void FollowEventRows(COtdrDoc& doc, DisplayState& display, int r, int by);
