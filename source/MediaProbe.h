#pragma once

#include "source/MediaBackend.h"

// Reads the duration, picture size and bit rate of a media file with libavformat. Throws Failure
// when the file cannot be opened, is no regular file (a named pipe or a device, which is never
// opened) or holds no stream that can be played.
MediaFacts ProbeMedia(const QString &path);
