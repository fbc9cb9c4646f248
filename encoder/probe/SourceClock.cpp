#include "encoder/probe/SourceClock.h"

#include "encoder/common/StopSignals.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

namespace {

constexpr AVRational Microseconds{1, AV_TIME_BASE};

// A time this near the one before it, either way, follows it: packets come this close together, and
// a stream's times may jitter by as much.
constexpr int64_t Jitter = AV_TIME_BASE / 10;

// One packet of a stream followed: where it starts and ends, in AV_TIME_BASE units.
struct Timed {
    int64_t start = 0;
    int64_t end = 0;
};

using Packets = std::vector<std::optional<Timed>>;

std::optional<int64_t> packetTime(const AVPacket &packet, AVRational timeBase)
{
    const int64_t stamp = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
    if (stamp == AV_NOPTS_VALUE)
        return std::nullopt;
    return av_rescale_q(stamp, timeBase, Microseconds);
}

// Where one stream's parts begin, and which of its packets are damaged.
struct StreamClock {
    std::vector<int64_t> starts;
    std::vector<int64_t> damaged;
};

// A packet whose time is away from the one before it is damaged where the packet after it is nearer
// the time before; else a time that goes back begins a new part, and one that goes forward is a gap.
StreamClock streamClock(const Packets &packets)
{
    StreamClock clock;
    std::optional<int64_t> last;
    for (size_t i = 0; i < packets.size(); ++i) {
        if (!packets[i])
            continue;
        const int64_t time = packets[i]->start;
        if (last && std::abs(time - *last) > Jitter) {
            const auto next = std::find_if(packets.begin() + qsizetype(i) + 1, packets.end(), [](const auto &packet) { return packet.has_value(); });
            const bool damaged = next != packets.end() ? std::abs((*next)->start - *last) < std::abs((*next)->start - time) : time < *last;
            if (damaged) {
                clock.damaged.push_back(int64_t(i));
                continue;
            }
            if (time < *last)
                clock.starts.push_back(int64_t(i));
        }
        last = time;
    }
    return clock;
}

// Where each part of the stream starts and ends: from its first packet whose time is not damaged to
// the latest end of one.
std::vector<Timed> partSpans(const Packets &packets, const StreamClock &clock)
{
    std::vector<Timed> spans;
    for (size_t part = 0; part <= clock.starts.size(); ++part) {
        const size_t from = part == 0 ? 0 : size_t(clock.starts[part - 1]);
        const size_t to = part < clock.starts.size() ? size_t(clock.starts[part]) : packets.size();
        std::optional<Timed> span;
        for (size_t i = from; i < to; ++i)
            if (packets[i] && !std::binary_search(clock.damaged.begin(), clock.damaged.end(), int64_t(i)))
                span = span ? Timed{span->start, std::max(span->end, packets[i]->end)} : *packets[i];
        spans.push_back(span.value_or(Timed{}));
    }
    return spans;
}

bool listed(const std::map<int, std::vector<int64_t>> &lists, int stream, int64_t number)
{
    const auto found = lists.find(stream);
    return found != lists.end() && std::binary_search(found->second.begin(), found->second.end(), number);
}

} // namespace

bool SourceClock::mends() const
{
    return !shifts.empty() || std::any_of(damaged.begin(), damaged.end(), [](const auto &stream) { return !stream.second.empty(); });
}

bool ClockMayJump(const AVFormatContext &input)
{
    return input.iformat->flags & AVFMT_TS_DISCONT;
}

SourceClock ReadSourceClock(AVFormatContext &input, const std::vector<int> &streams)
{
    std::vector<Packets> packets(streams.size());
    const PacketHandle packet = NewPacket();
    while (av_read_frame(&input, packet.get()) >= 0) {
        const auto followed = std::find(streams.begin(), streams.end(), packet->stream_index);
        if (followed != streams.end()) {
            const AVRational timeBase = input.streams[packet->stream_index]->time_base;
            std::optional<Timed> timed;
            if (const std::optional<int64_t> time = packetTime(*packet, timeBase))
                timed = Timed{*time, *time + av_rescale_q(packet->duration, timeBase, Microseconds)};
            packets[size_t(followed - streams.begin())].push_back(timed);
        }
        av_packet_unref(packet.get());
    }
    StopIfRequested();
    SourceClock clock;
    std::vector<std::vector<Timed>> spans;
    size_t parts = 1;
    for (size_t i = 0; i < streams.size(); ++i) {
        StreamClock stream = streamClock(packets[i]);
        spans.push_back(partSpans(packets[i], stream));
        parts = std::max(parts, spans.back().size());
        clock.starts[streams[i]] = std::move(stream.starts);
        clock.damaged[streams[i]] = std::move(stream.damaged);
    }
    std::vector<int64_t> shifts{0};
    for (size_t part = 1; part < parts; ++part) {
        const auto leading = std::find_if(spans.begin(), spans.end(), [&](const std::vector<Timed> &stream) { return stream.size() > part; });
        shifts.push_back((*leading)[part - 1].end + shifts[part - 1] - (*leading)[part].start);
    }
    int64_t first = std::numeric_limits<int64_t>::max();
    int64_t end = std::numeric_limits<int64_t>::min();
    for (const std::vector<Timed> &stream : spans)
        for (size_t part = 0; part < stream.size(); ++part) {
            first = std::min(first, stream[part].start + shifts[part]);
            end = std::max(end, stream[part].end + shifts[part]);
        }
    if (parts > 1)
        clock.shifts = shifts;
    clock.seconds = end > first ? double(end - first) / AV_TIME_BASE : 0;
    return clock;
}

void MendTimestamps(AVPacket &packet, AVRational timeBase, const SourceClock &clock, int64_t number)
{
    if (listed(clock.damaged, packet.stream_index, number)) {
        packet.pts = AV_NOPTS_VALUE;
        packet.dts = AV_NOPTS_VALUE;
        return;
    }
    const auto found = clock.starts.find(packet.stream_index);
    if (clock.shifts.empty() || found == clock.starts.end())
        return;
    const auto part = size_t(std::upper_bound(found->second.begin(), found->second.end(), number) - found->second.begin());
    const int64_t shift = av_rescale_q(clock.shifts[std::min(part, clock.shifts.size() - 1)], Microseconds, timeBase);
    if (packet.pts != AV_NOPTS_VALUE)
        packet.pts += shift;
    if (packet.dts != AV_NOPTS_VALUE)
        packet.dts += shift;
}
