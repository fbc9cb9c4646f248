#pragma once

#include <QString>

// The output proposed for a source file of a supported type: the source with the extension of its
// Windows Media type (".wma" for ".WAV", ".wmv" for ".AVI", in any letter case); empty for any other.
QString ProposedOutputFile(const QString &source);
