#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/probe/SourceProbe.h"

#include <QString>

// The name under which an output records what it was made from, in its own header, so that nothing
// is written beside the user's files and a copied or moved folder keeps the record.
inline constexpr char MadeFromTag[] = "Quillmark/MadeFrom";

// What an output made from the source with the settings records: the source's size and when it was
// last changed, and a digest of the settings.
QString MadeFrom(const SourceFacts &source, const Settings &settings);
