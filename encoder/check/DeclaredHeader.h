#pragma once

#include "encoder/asked/Settings.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// What the header of an ASF file declares of one stream: the rate it keeps to and the buffer a
// player fills for it; nothing where the file does not say.
struct DeclaredStream {
    int number = 0;
    bool picture = false;
    std::optional<uint32_t> bitRate; // bit/s
    std::optional<uint32_t> bufferMs;
    std::optional<uint64_t> frameTicks; // 100 ns, how long a frame lasts on average
};

// What an ASF file's header and its data object's header declare, read from the file's bytes as
// players read them.
struct DeclaredFile {
    uint64_t fileSize = 0;
    uint64_t packets = 0;
    uint32_t packetSize = 0;
    bool seekable = false;
    uint32_t prerollMs = 0; // how long a player fills its buffers before it starts
    uint64_t playTicks = 0; // 100 ns, the preroll included
    qint64 dataOffset = 0;  // where the data object begins
    uint64_t dataSize = 0;  // as its own header says
    uint64_t dataPackets = 0; // as the data object's header says
    std::vector<DeclaredStream> streams;
    ContentDescription content;

    const DeclaredStream *picture() const;
};

// Gives the bytes of a file at an offset, as many as it holds up to a count.
using ByteReader = std::function<QByteArray(qint64 offset, qint64 count)>;

// Reads the header of an ASF file; nothing where the file does not begin with an ASF header that
// reads whole.
std::optional<DeclaredFile> ReadDeclaredHeader(const ByteReader &read);
std::optional<DeclaredFile> ReadDeclaredHeader(const QString &path);
