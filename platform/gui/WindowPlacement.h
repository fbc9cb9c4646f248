#pragma once

class QRect;
class QWidget;

// Moves a window so that its frame is centred on area (screen coordinates).
void CenterWindowOn(QWidget *window, const QRect &area);
