#include "platform/gui/DockGrip.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TDockGrip::TDockGrip(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::SizeAllCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
}

QSize TDockGrip::sizeHint() const
{
    return {60, fontMetrics().height() + 2};
}

void TDockGrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient shade(rect().topLeft(), rect().topRight());
    shade.setColorAt(0, palette().color(QPalette::Highlight));
    shade.setColorAt(1, palette().color(QPalette::Highlight).lighter(150));
    painter.fillRect(rect(), shade);
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, parentWidget()->windowTitle());
    // The style's focus frame is drawn in the highlight colour, which the strip is painted in already.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::HighlightedText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void TDockGrip::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    dragging_ = false;
    pressPosition_ = event->globalPosition().toPoint();
    grabOffset_ = event->position().toPoint() + pos();
}

void TDockGrip::mouseMoveEvent(QMouseEvent *event)
{
    if (!pressed_)
        return;
    const QPoint position = event->globalPosition().toPoint();
    if (!dragging_ && (position - pressPosition_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    emit dragMoved(position);
}

void TDockGrip::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (dragging_)
        emit dragDropped(event->globalPosition().toPoint());
    dragging_ = false;
}

void TDockGrip::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit activated();
}

void TDockGrip::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: emit activated(); break;
    default: QWidget::keyPressEvent(event);
    }
}
