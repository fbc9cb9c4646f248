#pragma once

#include <QString>

class QWidget;

// Types text into widget one character at a time, as a keyboard does, any character included
// (QTest::keyClicks only knows ASCII).
void TypeText(QWidget *widget, const QString &text);
