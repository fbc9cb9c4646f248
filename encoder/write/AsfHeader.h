#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/write/AsfLayout.h"

#include <vector>

// One stream as the header describes it.
struct AsfStreamFacts {
    int number = 0; // from 1
    bool picture = false;
    QByteArray typeSpecific;    // the picture's size and BITMAPINFOHEADER, or the sound's WAVEFORMATEX
    QByteArray errorCorrection; // the sound's spread, which a span of one leaves as it is
    QString codecName;
    QByteArray codecInformation; // the picture's FOURCC or the sound's format tag
    uint32_t dataBitRate = 0;    // the rate the stream keeps to, with the buffer below
    uint32_t bufferMs = 0;
    uint32_t averageBitRate = 0; // over the stream as written
    uint32_t largestObject = 0;  // bytes of its largest frame
    uint64_t frameTicks = 0;     // how long one frame lasts, in 100 ns
    int aspectX = 0;             // the picture's pixel shape; 0 where it has none
    int aspectY = 0;
};

// Everything the header of an ASF file says.
struct AsfHeaderFacts {
    AsfGuid fileId;
    qint64 created = 0; // nanoseconds since 1970
    uint64_t fileSize = 0;
    uint64_t packets = 0;
    uint64_t playTicks = 0; // from the start to the end of the last frame, the preroll included
    uint64_t sendTicks = 0; // from the first packet's send time to the end of the last frame
    uint32_t prerollMs = 0;
    uint32_t packetSize = 0;
    std::vector<AsfStreamFacts> streams;
    ContentDescription content;
    QString recordName; // the name and text of what the file records it was made from
    QString record;
};

// The header object, closed by a padding object that holds paddingBytes.
QByteArray AsfHeaderBytes(const AsfHeaderFacts &facts, int paddingBytes);
