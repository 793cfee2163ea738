#pragma once
// What the application asks of the Event Table pane's view: Add Event and Trace Reanalysis are
// application commands that the table carries out.

class EventTableCommands {
 public:
  virtual ~EventTableCommands() = default;
  /// Adds an event at the active marker.
  virtual void AddEvent() = 0;
  /// Analyses the current trace again with settings the user confirms.
  virtual void OnTraceReanalysis() = 0;
};
