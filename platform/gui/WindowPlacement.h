#pragma once

class QRect;
class QWidget;

// Moves a window so that its frame is centred on area (screen coordinates), but never with its top
// left corner left of or above its screen's available area.
void CenterWindowOn(QWidget *window, const QRect &area);

// Brings the size a window's layout has just asked for into effect, and then moves the window up just
// as far as keeps its frame within the available area of its screen: never above the area's top, and
// never down or sideways. A window that fits where it stands stays there.
void KeepGrownWindowOnScreen(QWidget *window);
