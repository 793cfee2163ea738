#pragma once
// A loaded trace's list record follows what a save wrote: the record of the trace the document
// holds is otherwise the file as it was opened, and every view of the trace once it is no longer
// current (the overlay, printed pages) would show the trace as it was before the user's edits.
class COtdrDoc;
struct TraceRecord;

/// Makes `record` the trace the document holds as it was just saved: its path, file record, event
/// rows, fibre parameters, link summary, time and markers. The samples and the vertical offset, which
/// no edit changes, stay as the record draws them.
void StoreSavedTrace(const COtdrDoc& doc, TraceRecord& record);
