#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/common/LibavSupport.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/write/AsfHeader.h"
#include "encoder/write/AsfPackets.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>

// The file could not be written; the message holds the reason alone, so that the caller names the
// file the user asked for rather than the temporary one being written.
class WriteFailure : public Failure {
public:
    using Failure::Failure;
};

// Writes encoded streams into an ASF file of its own making: the header with the content
// description, the record of what the file was made from, and for each stream the rate and buffer
// it keeps to; the file's preroll, the time a player fills its buffers before it starts, is the
// longest of those buffers, and every frame is presented that much after it is sent, so that
// players start the file at its time 0. Throws WriteFailure, and Stopped once a stop is asked for.
class AsfWriter {
public:
    // The file holds the plan's content description, records what it was made from (see MadeFrom),
    // until finish says more, and is dated when its content was made.
    AsfWriter(const QString &path, const EncodePlan &plan);

    // Encoders put their set-up data in the header, where the format keeps it.
    static constexpr bool WantsGlobalHeaders = true;

    // Adds a stream for the encoder's packets, which keeps to rate; returns its index.
    int addStream(const AVCodecContext &encoder, const StreamRate &rate);

    // Writes the header; every stream is added by then.
    void begin();

    // Writes a packet timestamped in the given time base. The streams' packets are interleaved in
    // the order of their times: a packet waits until every stream has one as late, or ten seconds
    // of packets have come after it.
    void write(AVPacket *packet, int stream, AVRational timeBase);

    // Writes what waits, the index, and the header again with what the file holds and the record as
    // it stands now; then closes the file.
    void finish(const QString &record);

private:
    struct FileCloser {
        void operator()(AVIOContext *file) const { avio_closep(&file); }
    };

    // One stream: what the header says of it and what has been written of it.
    struct Stream {
        AsfStreamFacts facts;
        std::optional<int> declaredBitRate; // nothing: the average written
        AVRational timeBase{1, 1};
        int frameBytes = 0; // a sound frame's, where all have one size
        std::deque<PacketHandle> waiting;
        uint8_t frames = 0; // modulo 256, as the payloads number them
        int64_t bytes = 0;
        std::optional<int64_t> firstMs;
        int64_t endMs = 0;
    };

    [[noreturn]] void fail(int error) const;
    void checkWritten() const;
    int64_t startMs(const Stream &stream, const AVPacket &packet) const;
    void interleave(bool all);
    void place(Stream &stream, const AVPacket &packet);
    AsfHeaderFacts headerFacts(const QString &record) const;
    void writeHeaderAndData(const QString &record, uint64_t fileSize);

    QString path_;
    ContentDescription content_;
    QString record_;
    qint64 madeNs_;
    AsfGuid fileId_;
    std::deque<Stream> streams_; // a deque: a stream's waiting packets cannot be copied
    uint32_t prerollMs_ = 0;
    int packetSize_ = 0;
    qint64 headerSize_ = 0;
    std::optional<AsfPacketizer> packets_;
    std::unique_ptr<AVIOContext, FileCloser> file_;
};
