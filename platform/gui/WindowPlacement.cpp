#include "platform/gui/WindowPlacement.h"

#include <QRect>
#include <QWidget>

void CenterWindowOn(QWidget *window, const QRect &area)
{
    const QSize frame = window->frameGeometry().size();
    window->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}
