#pragma once
// Length limits of the header-text edits. A limit stops typing; a file may already hold a longer
// text, which is shown whole (cutting it on display would lose it on OK) and refused on OK with a
// message, so the user decides what to cut.
#include <QString>

class QLineEdit;

/// Characters the label edits of Edit Trace Information and Batch Edit accept.
inline constexpr int kTraceInfoTextLimit = 50;
/// Characters the fiber ID edit of Batch Edit accepts.
inline constexpr int kBatchFiberIdLimit = 40;

/// Shows `text` in full, even when it is longer than the edit's limit.
void ShowWholeText(QLineEdit& edit, const QString& text);

/// True when the edit's text fits `limit`; otherwise shows a message, focuses the edit and
/// answers false.
bool CheckTextLimit(QLineEdit& edit, int limit);
