#include "Typing.h"

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
