#include "platform/gui/FileDrops.h"

#include "platform/UriList.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QWidget>

namespace {

QStringList droppedPaths(const QMimeData *data)
{
    const QString uriList = QStringLiteral("text/uri-list");
    return data && data->hasFormat(uriList) ? LocalPathsFromUriList(data->data(uriList)) : QStringList();
}

// Answers a drag or a drop. One taken is taken as a copy, or else as a link, never as a move: a file
// manager told that its file was moved would remove it.
bool answer(QDropEvent *event, bool take)
{
    const Qt::DropActions possible = event->possibleActions();
    const Qt::DropAction action = possible.testFlag(Qt::CopyAction)   ? Qt::CopyAction
                                  : possible.testFlag(Qt::LinkAction) ? Qt::LinkAction
                                                                      : Qt::IgnoreAction;
    if (!take || action == Qt::IgnoreAction) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

} // namespace

void FileDrops::Watch(QWidget *window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    // A widget that takes no drops of its own passes them on to the window; the others are watched.
    for (QWidget *widget : window->findChildren<QWidget *>())
        if (widget->acceptDrops())
            widget->installEventFilter(this);
}

bool FileDrops::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
        takesDrag_ = !droppedPaths(static_cast<QDropEvent *>(event)->mimeData()).isEmpty();
        answer(static_cast<QDropEvent *>(event), takesDrag_);
        return true;
    case QEvent::DragMove:
        answer(static_cast<QDropEvent *>(event), takesDrag_);
        return true;
    case QEvent::DragLeave:
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths = droppedPaths(drop->mimeData());
        if (answer(drop, !paths.isEmpty())) {
            const QPointer<QWidget> onto = qobject_cast<QWidget *>(watched);
            QMetaObject::invokeMethod(
                this, [this, onto, paths] { if (onto) emit dropped(onto, paths); }, Qt::QueuedConnection);
        }
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
