#pragma once

#include <QString>

class ParamTable;
class QLineEdit;
class QObject;

// Writes a control's value into the row of table named by the control's Tag. With an empty explicit
// value the value is read from the control; otherwise the explicit value is stored (for an edit box,
// "!" clears the row and every "(default)" in it, in any letter case, becomes "?"). Edit boxes, track
// bars and list boxes are understood; for any other control the user is told and false is returned.
bool StoreParam(ParamTable &table, QObject *control, const QString &explicitValue);

// The handlers' StoreParam: into the parameter table, which the Parameter Builder holds.
bool StoreParam(QObject *control, const QString &explicitValue);

// Shows "(default)" in a box the program resets and clears the box's row with it, so that what the
// window shows is what is encoded.
void ResetToDefault(QLineEdit *box);
