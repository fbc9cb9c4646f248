#pragma once

#include <QString>

class QComboBox;
class QWidget;

// Types text into widget one character at a time, as a keyboard does, any character included
// (QTest::keyClicks only knows ASCII).
void TypeText(QWidget *widget, const QString &text);

// Opens the list's drop-down and clicks its row with the mouse, as a user chooses a row.
void ChooseRow(QComboBox *list, int row);
