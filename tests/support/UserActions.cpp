#include "UserActions.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMouseEvent>
#include <QTest>

void TypeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 128 && c.isPrint()) {
            QTest::keyClick(widget, c.toLatin1());
            continue;
        }
        const int key = c.toUpper().unicode();
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key(key), QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key(key), QString(c), Qt::NoModifier);
    }
}

void ChooseRow(QComboBox *list, int row)
{
    QVERIFY2(list->isEnabled(), "a disabled list cannot be chosen from");
    list->showPopup();
    QAbstractItemView *view = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex index = view->model()->index(row, list->modelColumn(), view->rootIndex());
    view->scrollTo(index);
    const QPoint centre = view->visualRect(index).center();
    QTest::mouseMove(view->viewport(), centre);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTRY_VERIFY(!view->window()->isVisible());
}

void DragWithMouse(QWidget *widget, QPoint from, QPoint to)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, widget->mapFromGlobal(from));
    const QPoint local = widget->mapFromGlobal(to);
    QMouseEvent move(QEvent::MouseMove, local, local, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local, local, to, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}
