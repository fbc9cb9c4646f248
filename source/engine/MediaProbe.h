#pragma once

#include "source/gui/MediaBackend.h"

// Reads the duration, picture size and bit rate of a media file with libavformat. Throws Failure
// when the file cannot be opened or holds no stream that can be played. The player hands it
// regular files only.
MediaFacts ProbeMedia(const QString &path);
