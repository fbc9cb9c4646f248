#include "platform/gui/WindowPlacement.h"

#include <QLayout>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void CenterWindowOn(QWidget *window, const QRect &area)
{
    const QSize frame = window->frameGeometry().size();
    QPoint corner = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
    // A window wider or taller than its screen (a large text scale) keeps its top left corner on the
    // screen: there its menu and its captions begin.
    if (const QScreen *screen = window->screen()) {
        const QRect available = screen->availableGeometry();
        corner = QPoint(std::max(corner.x(), available.left()), std::max(corner.y(), available.top()));
    }
    window->move(corner);
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
