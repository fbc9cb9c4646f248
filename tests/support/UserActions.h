#pragma once

#include <QPoint>
#include <QString>

class QComboBox;
class QWidget;

// Types text into widget one character at a time, as a keyboard does, any character included
// (QTest::keyClicks only knows ASCII).
void TypeText(QWidget *widget, const QString &text);

// Presses the left button on widget at from, moves to to and lets go there (screen coordinates), as a
// drag with the mouse does.
void DragWithMouse(QWidget *widget, QPoint from, QPoint to);

// Opens the list's drop-down and clicks its row with the mouse, as a user chooses a row.
void ChooseRow(QComboBox *list, int row);
