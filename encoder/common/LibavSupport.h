#pragma once

#include <QString>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
}

// Owning handles for the libav objects the utility makes, each freed with its own function.
struct InputCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct GraphFreer {
    void operator()(AVFilterGraph *graph) const { avfilter_graph_free(&graph); }
};
using InputHandle = std::unique_ptr<AVFormatContext, InputCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using GraphHandle = std::unique_ptr<AVFilterGraph, GraphFreer>;

FrameHandle NewFrame();
PacketHandle NewPacket();

// How long a decoded frame lasts in its stream's time base, or 0 where the source does not say.
int64_t FrameDuration(const AVFrame &frame);

// A frame or packet of its own holding what the one given held, which is left empty.
FrameHandle TakeFrame(AVFrame *frame);
PacketHandle TakePacket(AVPacket *packet);

// Keeps libav's own log lines off the console, where they would break the progress line, and
// remembers the last error line it logs, for LibavReason.
void RouteLibavLog();

// Asks libav to give up whatever it waits for or reads once a stop was asked for; every file the
// utility opens with libav carries it.
extern const AVIOInterruptCB StopCallback;

// Throws Stopped when the error comes from a stop, else Failure "<what>: <reason>".
[[noreturn]] void ThrowLibavFailure(const QString &what, int error);

// Forgets the last error line libav logged in this thread, so that the next file's failures do not
// name the complaints of the file before.
void ForgetLibavComplaint();

// The reason for a libav error code, with the last error line libav logged before it, if any;
// that line may stem from an earlier complaint, and the message says it is the last one.
QString LibavReason(int error);
