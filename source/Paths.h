#pragma once

#include <QString>

class QLineEdit;

// What a source text names.
enum class SourceKind { None, File, Folder };
SourceKind ClassifySource(const QString &text);

// The output proposed for a source file of a supported type: the source with the extension of its
// Windows Media type (".wma" for ".WAV", ".wmv" for ".AVI", in any letter case); empty for any other.
QString ProposedOutputFile(const QString &source);

// Stores a path box's text in its row, in double quotes, exactly as it stands; an empty box or one
// showing "(No file selected)" clears the row.
void StorePathParam(QLineEdit *box);
