#pragma once

class QWidget;

// Ends the process once `window` has been painted for the first time, after
// printing "painted=<monotonic clock>" for the launcher to subtract from.
// The whole first paint pass counts: the clock is read once it is over.
void exitOnFirstPaint(QWidget *window);
