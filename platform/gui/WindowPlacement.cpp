#include "platform/gui/WindowPlacement.h"

#include <QLayout>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void CenterWindowOn(QWidget *window, const QRect &area)
{
    const QSize frame = window->frameGeometry().size();
    window->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void KeepGrownWindowOnScreen(QWidget *window)
{
    if (window->layout())
        window->layout()->activate();
    const QRect frame = window->frameGeometry();
    const QRect area = window->screen()->availableGeometry();
    const int top = std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height() + 1));
    if (top < frame.top())
        window->move(frame.left(), top);
}
