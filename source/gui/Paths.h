#pragma once

#include <QString>

class QLineEdit;

// Stores a path box's text in its row, in double quotes, exactly as it stands; an empty box or one
// showing "(No file selected)" clears the row.
void StorePathParam(QLineEdit *box);
