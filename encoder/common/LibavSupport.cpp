#include "encoder/common/LibavSupport.h"

#include "encoder/common/StopSignals.h"

#include <utility>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace {

// Kept per thread: files encoded side by side each read their own complaints. A complaint logged by
// one of libav's own threads (a decoder's) is lost, but a failed decode is no failure of the encode.
thread_local QString lastLoggedError;

void keepErrorLine(void *source, int level, const char *format, va_list arguments)
{
    if (level > AV_LOG_ERROR)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(source, level, format, arguments, line, sizeof line, &prefix);
    lastLoggedError = QString::fromUtf8(line).trimmed();
}

QString takeLoggedError()
{
    return std::exchange(lastLoggedError, QString());
}

} // namespace

const AVIOInterruptCB StopCallback{[](void *) { return int(StopRequested()); }, nullptr};

void ThrowLibavFailure(const QString &what, int error)
{
    StopIfRequested();
    throw Failure(QStringLiteral("%1: %2").arg(what, LibavReason(error)));
}

FrameHandle NewFrame()
{
    FrameHandle frame(av_frame_alloc());
    if (!frame)
        throw Failure(QStringLiteral("Out of memory."));
    return frame;
}

PacketHandle NewPacket()
{
    PacketHandle packet(av_packet_alloc());
    if (!packet)
        throw Failure(QStringLiteral("Out of memory."));
    return packet;
}

int64_t FrameDuration(const AVFrame &frame)
{
    // FFmpeg 5.1 names it after the packet the frame came from; 6 renames it, 7 drops the old name.
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
    return frame.duration;
#else
    return frame.pkt_duration;
#endif
}

FrameHandle TakeFrame(AVFrame *frame)
{
    FrameHandle taken = NewFrame();
    av_frame_move_ref(taken.get(), frame);
    return taken;
}

PacketHandle TakePacket(AVPacket *packet)
{
    PacketHandle taken = NewPacket();
    av_packet_move_ref(taken.get(), packet);
    return taken;
}

void RouteLibavLog()
{
    av_log_set_callback(keepErrorLine);
}

void ForgetLibavComplaint()
{
    takeLoggedError();
}

QString LibavReason(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    const QString logged = takeLoggedError();
    const QString reason = QString::fromLocal8Bit(text);
    return logged.isEmpty() ? reason : QStringLiteral("%1; FFmpeg's last complaint: %2").arg(reason, logged);
}
