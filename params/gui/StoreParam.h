#pragma once

#include <QString>

class QLineEdit;
class QObject;

// Writes a control's value into the parameter table row named by its Tag. With an empty explicit
// value the value is read from the control; otherwise the explicit value is stored (for an edit box,
// "!" clears the row and every "(default)" in it, in any letter case, becomes "?"). Edit boxes, track
// bars and list boxes are understood; for any other control the user is told and false is returned.
bool StoreParam(QObject *control, const QString &explicitValue);

// Shows "(default)" in a box the program resets and clears the box's row with it, so that what the
// window shows is what is encoded.
void ResetToDefault(QLineEdit *box);
