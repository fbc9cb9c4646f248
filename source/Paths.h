#pragma once

#include <QString>

class QLineEdit;

// What a source text names.
enum class SourceKind { None, File, Folder };
SourceKind ClassifySource(const QString &text);

// Stores a path box's text in its row, in double quotes, exactly as it stands; an empty box or one
// showing "(No file selected)" clears the row.
void StorePathParam(QLineEdit *box);
