#pragma once

#include "source/MediaFacts.h"

#include <QStringList>

// The lines the source media information shows: the duration always, the picture size (height
// first) when there is a picture, the bit rate when it is known.
QStringList MediaInfoLines(const MediaFacts &facts);
