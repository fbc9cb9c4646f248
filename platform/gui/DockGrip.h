#pragma once

#include <QWidget>

// The grip strip of a dockable tool window (its parent), showing the window's caption. Dragging it (beyond the drag
// distance) reports where the pointer is and where it is let go, so that the window can show where it
// would land and then dock or float there; a double click, or Space or Enter while it has the focus,
// asks to switch between docked and floating.
class TDockGrip : public QWidget {
    Q_OBJECT
public:
    explicit TDockGrip(QWidget *parent = nullptr);

    QSize sizeHint() const override;

    // Where the pointer took hold of the window, from the top left corner of its client area.
    QPoint GrabOffset() const { return grabOffset_; }

signals:
    void dragMoved(QPoint globalPosition);
    void dragDropped(QPoint globalPosition);
    void activated();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPoint pressPosition_;
    QPoint grabOffset_;
    bool pressed_ = false;
    bool dragging_ = false;
};
