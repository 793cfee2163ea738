#pragma once
// When the trace view renders its cached background again, and which requests a paint consumes.
#include <optional>

struct DisplayState;
struct TraceViewState;

/// True when the cached background must be rendered at this paint: the view is dirty, or another
/// pane asked for it (event rows changed, markers placed from the table, link map unit changed).
bool NeedsBackgroundRender(const TraceViewState& view, const DisplayState& display);

/// Clears the requests a background render serves; markers placed from the table are cleared here
/// only in link-map mode, where no markers are drawn to consume them.
void ConsumeRenderRequests(DisplayState& display);

/// The scroll position that centres marker m after another pane moved it, or nothing when the
/// marker lies within half a window of the trace's end.
std::optional<int> CentredScrollForMarker(int m, int pointCount, int canvasWidth, int clientWidth);
