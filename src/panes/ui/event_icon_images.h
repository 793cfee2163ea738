#pragma once
// The eight 16 x 16 event pictures of the Event Table pane, in the order of EventTableIcon.
#include <QIcon>
#include <vector>

/// The event icons: blank, start, end, reflective, non-reflective, over threshold, step up, splitter.
std::vector<QIcon> MakeEventIcons();
