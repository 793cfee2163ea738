#pragma once
// What the document needs of a pane that shows it. The panes are widgets; the document only knows
// this interface, so broadcasts run and are tested without a window system.

/// The panes in the order of their templates; broadcasts reach the views in this order, which matters
/// because a pane that reads a request flag clears it.
enum class PaneKind { Trace, EventTable, Parameters, FiberInfo, MarkerInfo };

/// Broadcast hints.
inline constexpr int kHintRefresh = 0;      // the document or a marker changed
inline constexpr int kHintEventChosen = 1;  // an event was chosen; the markers follow it

class DocView {
 public:
  virtual ~DocView() = default;
  /// Lays the pane out again and refreshes it from the document.
  virtual void OnInitialUpdate() = 0;
  /// Refreshes the pane after a change announced by `sender` (null: the document itself).
  virtual void OnUpdate(DocView* sender, int hint) = 0;
};
