#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/common/LibavSupport.h"

#include <vector>

// The file could not be written; the message holds the reason alone, so that the caller names the
// file the user asked for rather than the temporary one being written.
class WriteFailure : public Failure {
public:
    using Failure::Failure;
};

// Writes encoded streams into an ASF file, with the content description in its header. Throws
// WriteFailure, and Stopped once a stop is asked for.
class AsfWriter {
public:
    // madeFrom: what the file records it was made from (see MadeFrom).
    AsfWriter(const QString &path, const ContentDescription &content, const QString &madeFrom);

    // Whether encoders must put their set-up data in the file header rather than in the stream.
    bool wantsGlobalHeaders() const;

    // Adds a stream for the encoder's packets; returns its index.
    int addStream(const AVCodecContext &encoder);

    // Writes the header; every stream is added by then.
    void begin();

    // Writes a packet timestamped in the given time base, taking over its data.
    void write(AVPacket *packet, int stream, AVRational timeBase);

    // Writes the index, declares the picture's bit rate as written in the header, and closes the file.
    void finish();

private:
    struct OutputFreer {
        void operator()(AVFormatContext *context) const;
    };

    // What has been written of one stream, in its time base.
    struct Written {
        int64_t bytes = 0;
        int64_t first = AV_NOPTS_VALUE;
        int64_t end = 0;
    };

    [[noreturn]] void fail(int error) const;
    void fitPacketsToSound();
    void declareWrittenPictureRate();

    QString path_;
    std::unique_ptr<AVFormatContext, OutputFreer> output_;
    std::vector<Written> written_;
};
