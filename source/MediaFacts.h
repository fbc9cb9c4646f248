#pragma once

#include <QtGlobal>

// The facts the program reads of an opened media file.
struct MediaFacts {
    double duration = 0;   // seconds
    int width = 0;         // picture size in pixels; 0 without a picture
    int height = 0;
    qint64 bitRate = 0;    // bits per second; 0 when unknown
};
