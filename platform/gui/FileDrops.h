#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

// Takes files and folders dragged onto a window from a file manager. While a drag holds only local
// files and folders, the window and every widget in it take it, and the cursor says so; anything else
// (a web address, text) is refused everywhere, so that no box takes a dropped name as text. A drop
// raises dropped once the drag is over, with the widget it landed on: the sender of the drag is then
// no longer waiting for the answer to its drop, whatever the program does with the files.
class FileDrops : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void Watch(QWidget *window);

signals:
    void dropped(QWidget *onto, const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool takesDrag_ = false;   // whether the drag that entered last holds only local files
};
