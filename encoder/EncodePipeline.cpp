#include "encoder/EncodePipeline.h"

#include "encoder/AsfWriter.h"
#include "encoder/BoundedQueue.h"
#include "encoder/FilterGraphs.h"
#include "encoder/LaneThreads.h"
#include "encoder/PicturePieces.h"
#include "encoder/PieceJoiner.h"
#include "encoder/SideBySide.h"
#include "encoder/StopSignals.h"
#include "encoder/TwoPassFloor.h"
#include "encoder/Verification.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <memory>

namespace {

// Where a lane's packets go in the file.
struct StreamSlot {
    int index = -1;
    AVRational timeBase{1, 1};
};

StreamSlot addStream(AsfWriter &writer, const StreamEncoder &encoder)
{
    return {writer.addStream(encoder.context()), encoder.context().time_base};
}

QString droppedFramesNote(const VideoPlan &video, const RateRecord &rate)
{
    const int all = rate.frames + rate.dropped;
    const double movement = av_q2d(video.frameRate) * rate.frames / all;
    return QStringLiteral("To hold %1 bit/s, %2 of %3 frames were dropped, so the picture moves at %4 fps on average; "
                          "a smaller picture, a lower frame rate or a higher bit rate would keep them.")
        .arg(video.bitRate).arg(rate.dropped).arg(all).arg(QString::number(movement, 'f', 1));
}

// What one run through the source gave.
struct PassResult {
    std::vector<QByteArray> statistics; // a first pass's, the picture encoder's for each piece
    RateRecord rate;
    double encoded = 0; // seconds from the start of the first frame encoded to the end of the last
};

// The stretch of the output that the lanes encoded, in seconds.
class EncodedSpan {
public:
    void add(double first, double end)
    {
        first_ = std::min(first_, first);
        end_ = std::max(end_, end);
    }
    // What a lane encoded.
    void add(const EncodeStage &encoder)
    {
        if (encoder.frames() > 0)
            add(encoder.first(), encoder.end());
    }
    double seconds() const { return end_ > first_ ? end_ - first_ : 0; }

private:
    double first_ = std::numeric_limits<double>::max();
    double end_ = 0;
};

EncodeProgress progressOf(Pass pass)
{
    EncodeProgress progress;
    progress.pass = pass == Pass::Second ? 2 : 1;
    progress.passes = pass == Pass::Only ? 1 : 2;
    return progress;
}

std::unique_ptr<MediaReader> openReader(const SourceFacts &source, bool picture, bool sound, int decoderThreads, double start,
                                        const std::function<void()> &whileSeeking = {})
{
    auto reader = std::make_unique<MediaReader>(source, picture, sound, decoderThreads);
    if (start > 0 && picture)
        reader->seekPictureBefore(start, whileSeeking);
    else if (start > 0)
        reader->seek(start);
    return reader;
}

// The picture's lane, for the whole of it or for one piece.
Lane pictureLane(const MediaReader &reader, const SourceFacts &source, const EncodePlan &plan, const PicturePiece *piece,
                 Pass pass, const QByteArray &statistics, bool globalHeaders)
{
    const Trim trim = piece ? PieceTrim(plan, *piece) : SectionTrim(plan);
    const double startFullness = StartFullness(piece);
    FilterChain chain = FilterChain::forPicture(reader.decoder(AVMEDIA_TYPE_VIDEO), reader.timeBase(AVMEDIA_TYPE_VIDEO),
                                                source.picture->storedSampleAspect(), source.picture->frameRate,
                                                VideoFilterDescription(plan, trim));
    StreamEncoder encoder =
        StreamEncoder::forPicture(*plan.video, chain.sampleAspect(), pass, statistics, globalHeaders, startFullness);
    std::optional<RateKeeper> keeper;
    if (pass == Pass::Only && plan.video->mode == RateMode::CbrOnePass) {
        const double buffer = double(plan.video->bitRate) * plan.video->bufferMs / 1000;
        keeper.emplace(plan.video->bitRate, buffer, startFullness * buffer);
    }
    const AVRational timeBase = chain.timeBase();
    // A piece keeps its own frames, not those its filters see around it.
    const AVRational frame = av_inv_q(plan.video->frameRate);
    int64_t keepFrom = INT64_MIN;
    int64_t keepUntil = INT64_MAX;
    if (piece && piece->firstFrame > 0)
        keepFrom = av_rescale_q(piece->firstFrame, frame, timeBase);
    if (piece && piece->endFrame)
        keepUntil = av_rescale_q(*piece->endFrame, frame, timeBase);
    return Lane{FilterStage(std::move(chain), keepFrom, keepUntil), EncodeStage(std::move(encoder), timeBase, pass != Pass::First, keeper)};
}

Lane soundLane(const MediaReader &reader, const EncodePlan &plan, bool globalHeaders)
{
    StreamEncoder encoder = StreamEncoder::forSound(*plan.audio, globalHeaders);
    FilterChain chain = FilterChain::forSound(reader.decoder(AVMEDIA_TYPE_AUDIO), reader.timeBase(AVMEDIA_TYPE_AUDIO),
                                              AudioFilterDescription(plan), encoder.context().frame_size);
    const AVRational timeBase = chain.timeBase();
    return Lane{FilterStage(std::move(chain)), EncodeStage(std::move(encoder), timeBase, true)};
}

// The picture encoder keeps a core of its own: FFmpeg's WMV encoders use one thread.
int decoderThreads(CoreShare share)
{
    return share.alone ? std::max(1, UsableCores() - 1) : 1;
}

// Runs the source through the picture's and the sound's lanes at once.
PassResult runWhole(const SourceFacts &source, const EncodePlan &plan, Pass pass, const QByteArray &statistics,
                    const QString &path, EncodeObserver &observer, CoreShare share)
{
    const bool writing = pass != Pass::First;
    const std::unique_ptr<MediaReader> reader =
        openReader(source, plan.video.has_value(), plan.audio && writing, decoderThreads(share), plan.start);
    std::optional<AsfWriter> writer;
    if (writing)
        writer.emplace(path, plan.content);
    const bool globalHeaders = writer && writer->wantsGlobalHeaders();

    std::optional<Lane> picture;
    StreamSlot pictureSlot;
    if (plan.video) {
        picture.emplace(pictureLane(*reader, source, plan, nullptr, pass, statistics, globalHeaders));
        if (writer)
            pictureSlot = addStream(*writer, picture->encoder.encoder());
    }
    std::optional<Lane> sound;
    StreamSlot soundSlot;
    if (plan.audio && writing) {
        sound.emplace(soundLane(*reader, plan, globalHeaders));
        soundSlot = addStream(*writer, sound->encoder.encoder());
    }
    if (writer)
        writer->begin();

    EncodeProgress progress = progressOf(pass);
    const AVMediaType lead = picture ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
    const auto run = share.alone ? RunLanesInThreads : RunLanesHere;
    run(*reader, picture ? &*picture : nullptr, sound ? &*sound : nullptr, [&](AVMediaType type, EncodedPackets &packets) {
        const StreamSlot &slot = type == AVMEDIA_TYPE_VIDEO ? pictureSlot : soundSlot;
        for (const PacketHandle &packet : packets.packets)
            writer->write(packet.get(), slot.index, slot.timeBase);
        StopIfRequested();
        if (type == lead)
            progress.done = plan.duration > 0 ? std::clamp(packets.position / plan.duration, 0.0, 1.0) : 0;
        if (type == AVMEDIA_TYPE_VIDEO)
            progress.frames = packets.frames;
        observer.progress(progress);
    });
    if (writer)
        writer->finish();
    progress.done = 1;
    observer.progress(progress);
    PassResult result;
    EncodedSpan span;
    if (picture) {
        result.statistics.push_back(picture->encoder.encoder().statistics());
        result.rate = {picture->encoder.frames(), picture->encoder.dropped(), picture->encoder.coarsest(), std::nullopt};
        span.add(picture->encoder);
    }
    if (result.rate.dropped > 0)
        observer.note(droppedFramesNote(*plan.video, result.rate));
    if (sound)
        span.add(sound->encoder);
    result.encoded = span.seconds();
    return result;
}

// A piece that starts where the source is known to end already.
class PastTheEnd : public std::exception {
};

// What a piece keeps an eye on while it seeks and encodes, which the others may change.
struct PieceWatch {
    const std::atomic<bool> &calledOff;
    const SourceEnd &sourceEnd;
    double start; // where the piece starts, in seconds into the section

    // Throws Cancelled once the pieces are called off, PastTheEnd once the source is known to end
    // before the piece.
    void check() const
    {
        if (calledOff)
            throw Cancelled();
        if (sourceEnd.endsBy(start))
            throw PastTheEnd();
    }
};

// One piece of the picture, ready to run: the thread's reader, moved to the piece, and its lane.
Lane preparePiece(PieceThread &thread, const SourceFacts &source, const EncodePlan &plan, const PicturePiece &piece,
                  Pass pass, const QByteArray &statistics, bool globalHeaders, const PieceWatch &watch)
{
    const double start = PieceTrim(plan, piece).start;
    const auto check = [&] { watch.check(); };
    if (thread.reader)
        thread.reader->seekPictureBefore(start, check);
    else
        thread.reader = openReader(source, true, false, 1, start, check);
    return pictureLane(*thread.reader, source, plan, &piece, pass, statistics, globalHeaders);
}

EncodedPiece runPiece(MediaReader &reader, Lane &lane, const PieceWatch &watch, std::atomic<int> &framesDone)
{
    EncodedPiece piece;
    RunLanesHere(reader, &lane, nullptr, [&](AVMediaType, EncodedPackets &packets) {
        watch.check();
        framesDone += packets.frames - piece.frames;
        piece.frames = packets.frames;
        for (PacketHandle &packet : packets.packets)
            piece.packets.push_back(std::move(packet));
    });
    const EncodeStage &encoder = lane.encoder;
    piece.statistics = encoder.encoder().statistics();
    piece.dropped = encoder.dropped();
    piece.coarsest = encoder.coarsest();
    piece.first = encoder.first();
    piece.end = encoder.end();
    piece.sourceEnded = reader.ended();
    return piece;
}

// Encodes the picture in pieces on threads of their own, and the sound beside them in the calling
// thread, which writes both in the order of their timestamps. A second pass leaves out the pieces
// where the first found no frames.
PassResult runInPieces(const SourceFacts &source, const EncodePlan &plan, const std::vector<PicturePiece> &pieces, Pass pass,
                       const std::vector<QByteArray> &statistics, const QString &path, EncodeObserver &observer, CoreShare share)
{
    const bool writing = pass != Pass::First;
    const auto statisticsOf = [&](size_t index) { return pass == Pass::Second ? statistics[index] : QByteArray(); };
    const auto hasFrames = [&](size_t index) { return pass != Pass::Second || !statistics[index].isEmpty(); };
    std::optional<AsfWriter> writer;
    if (writing)
        writer.emplace(path, plan.content);
    const bool globalHeaders = writer && writer->wantsGlobalHeaders();

    // The first piece is made ready here, for its encoder to describe the picture to the writer; the
    // thread that takes it takes its reader too.
    size_t first = 0;
    while (!hasFrames(first))
        ++first;
    SourceEnd sourceEnd;
    const std::atomic<bool> notCalledOff = false;
    PieceThread firstThread;
    std::optional<Lane> firstLane = preparePiece(firstThread, source, plan, pieces[first], pass, statisticsOf(first), globalHeaders,
                                                 PieceWatch{notCalledOff, sourceEnd, PieceStart(plan, pieces[first])});
    StreamSlot pictureSlot;
    if (writer)
        pictureSlot = addStream(*writer, firstLane->encoder.encoder());
    std::atomic<int> framesDone = 0;
    PieceWorkers workers(pieces.size(), share.pieces, [&](size_t index, PieceThread &thread, const std::atomic<bool> &calledOff) {
        const PieceWatch watch{calledOff, sourceEnd, PieceStart(plan, pieces[index])};
        if (!hasFrames(index) || sourceEnd.endsBy(watch.start))
            return EncodedPiece();
        // What libav complained of in this thread's last piece is not this one's reason.
        ForgetLibavComplaint();
        EncodedPiece piece;
        try {
            if (index == first) {
                thread.reader = std::move(firstThread.reader);
                piece = runPiece(*thread.reader, *firstLane, watch, framesDone);
            } else {
                Lane lane = preparePiece(thread, source, plan, pieces[index], pass, statisticsOf(index), globalHeaders, watch);
                piece = runPiece(*thread.reader, lane, watch, framesDone);
            }
        } catch (const PastTheEnd &) {
            return EncodedPiece();
        }
        if (piece.sourceEnded)
            sourceEnd.reachedAt(piece.frames > 0 ? piece.end : watch.start);
        return piece;
    });
    // The pieces are under way while the sound is set up and the file begun.
    std::unique_ptr<MediaReader> soundReader;
    std::optional<Lane> sound;
    StreamSlot soundSlot;
    if (plan.audio && writing) {
        soundReader = openReader(source, false, true, 1, plan.start);
        sound.emplace(soundLane(*soundReader, plan, globalHeaders));
        soundSlot = addStream(*writer, sound->encoder.encoder());
    }
    if (writer)
        writer->begin();

    EncodeProgress progress = progressOf(pass);
    const double frames = plan.duration * av_q2d(plan.video->frameRate);
    const auto report = [&] {
        StopIfRequested();
        progress.frames = framesDone;
        progress.done = std::clamp(progress.frames / frames, 0.0, 1.0);
        observer.progress(progress);
    };
    std::deque<PacketHandle> soundWaiting;
    std::optional<LanesHere> soundRun;
    if (sound)
        soundRun.emplace(*soundReader, nullptr, &*sound, [&](AVMediaType, EncodedPackets &packets) {
            for (PacketHandle &packet : packets.packets)
                soundWaiting.push_back(std::move(packet));
        });
    // Writes the sound that starts up to this many seconds into the output.
    const auto writeSoundUntil = [&](double seconds) {
        while (soundRun) {
            if (soundWaiting.empty()) {
                if (!soundRun->step())
                    return;
                StopIfRequested();
            } else if (double(soundWaiting.front()->pts) * av_q2d(soundSlot.timeBase) <= seconds) {
                writer->write(soundWaiting.front().get(), soundSlot.index, soundSlot.timeBase);
                soundWaiting.pop_front();
            } else {
                return;
            }
        }
    };

    const auto writePicture = [&](const std::vector<PacketHandle> &packets) {
        for (const PacketHandle &packet : packets) {
            writeSoundUntil(double(packet->pts) * av_q2d(pictureSlot.timeBase));
            writer->write(packet.get(), pictureSlot.index, pictureSlot.timeBase);
        }
    };

    PassResult result;
    EncodedSpan span;
    PieceJoiner joiner(*plan.video, pictureSlot.timeBase);
    for (size_t index = 0; index < pieces.size(); ++index) {
        EncodedPiece piece = workers.next(report);
        writePicture(joiner.join(std::move(piece.packets)));
        result.statistics.push_back(std::move(piece.statistics));
        result.rate.frames += piece.frames;
        result.rate.dropped += piece.dropped;
        result.rate.coarsest += piece.coarsest;
        if (piece.frames > 0)
            span.add(piece.first, piece.end);
        report();
    }
    if (writer) {
        writePicture(joiner.finish());
        writeSoundUntil(std::numeric_limits<double>::infinity());
        writer->finish();
    }
    result.rate.frames -= joiner.leftOut();
    result.rate.dropped += joiner.leftOut();
    progress.done = 1;
    observer.progress(progress);
    if (result.rate.dropped > 0)
        observer.note(droppedFramesNote(*plan.video, result.rate));
    if (sound)
        span.add(sound->encoder);
    result.encoded = span.seconds();
    return result;
}

PassResult runPass(const SourceFacts &source, const EncodePlan &plan, const std::vector<PicturePiece> &pieces, Pass pass,
                   const std::vector<QByteArray> &statistics, const QString &path, EncodeObserver &observer, CoreShare share)
{
    if (!pieces.empty())
        return runInPieces(source, plan, pieces, pass, statistics, path, observer, share);
    return runWhole(source, plan, pass, statistics.empty() ? QByteArray() : statistics.front(), path, observer, share);
}

// A container's length is an estimate: a cut-off download or a damaged index holds less than it
// announces, and some streams hold more. The output is checked against what the source gave.
RateRecord keepToWhatWasRead(EncodePlan &plan, const SourceFacts &source, const PassResult &pass, EncodeObserver &observer)
{
    const double encoded = pass.encoded;
    if (encoded <= 0)
        throw Failure(QStringLiteral("Nothing of %1 could be decoded: the file is damaged, or not what its header says.").arg(source.path));
    // A section that came out longer than asked is the encode's own fault, for the check to find.
    const bool longerThanSection = plan.end && encoded > plan.duration;
    if (longerThanSection || std::abs(encoded - plan.duration) <= DurationTolerance(plan))
        return pass.rate;
    if (plan.duration > 0)
        observer.note(QStringLiteral("The source gave %1 s, not the %2 s its container announced; the output is "
                                     "checked against what could be read.")
                          .arg(QString::number(encoded, 'f', 3), QString::number(plan.duration, 'f', 3)));
    plan.duration = encoded;
    return pass.rate;
}

} // namespace

RateRecord EncodeFile(const SourceFacts &source, EncodePlan &plan, const QString &path, EncodeObserver &observer, CoreShare share)
{
    const std::vector<PicturePiece> pieces = share.alone ? SplitPicture(plan, share.pieces) : std::vector<PicturePiece>();
    if (!plan.video || !plan.video->twoPass())
        return keepToWhatWasRead(plan, source, runPass(source, plan, pieces, Pass::Only, {}, path, observer, share), observer);
    const std::vector<QByteArray> statistics = runPass(source, plan, pieces, Pass::First, {}, path, observer, share).statistics;
    if (std::all_of(statistics.begin(), statistics.end(), [](const QByteArray &piece) { return piece.isEmpty(); }))
        throw Failure(QStringLiteral("The first pass found no picture frames to encode."));
    // The plan keeps the rate asked for, which the file is checked against.
    EncodePlan second = plan;
    VideoPlan &video = *second.video;
    // Each piece's second pass must fit its own frames.
    int bitRate = video.bitRate;
    for (const QByteArray &piece : statistics)
        if (!piece.isEmpty())
            bitRate = std::max(bitRate, SafeTwoPassBitRate(video.bitRate, piece, video.frameRate));
    if (bitRate != video.bitRate) {
        observer.note(QStringLiteral("Two passes cannot fit this picture into %1 bit/s, even at the coarsest quantiser; "
                                     "it is encoded at %2 bit/s, the lowest rate that holds it.").arg(video.bitRate).arg(bitRate));
        video.bitRate = bitRate;
    }
    const PassResult written = runPass(source, second, pieces, Pass::Second, statistics, path, observer, share);
    RateRecord rate = keepToWhatWasRead(plan, source, written, observer);
    if (bitRate != plan.video->bitRate)
        rate.raisedBitRate = bitRate;
    return rate;
}
