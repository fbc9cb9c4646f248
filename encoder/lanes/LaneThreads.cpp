#include "encoder/lanes/LaneThreads.h"

#include "encoder/lanes/BoundedQueue.h"

#include <atomic>
#include <pthread.h>
#include <system_error>
#include <thread>

namespace {

// How many items may wait between two threads. A picture is large, so few; sound frames are small
// and many a source stores a second of sound at a time.
constexpr size_t WaitingPictures = 4;
constexpr size_t WaitingSounds = 64;
constexpr size_t WaitingTurns = 512; // more than all the queues above hold, so never the one that waits

// Whose packets come next: turns are taken in the order the frames were decoded.
struct Turn {
    enum Kind { Picture, Sound, Finished, Failed } kind = Finished;
    std::exception_ptr failure;
};

// Runs work; where it fails, hands the failure on with report, to be raised in its place in the
// order. Where the encode is being called off, the thread just ends.
template <typename Work, typename Report>
void guarded(Work work, Report report)
{
    try {
        work();
    } catch (const Cancelled &) {
    } catch (...) {
        try {
            report(std::current_exception());
        } catch (...) { // called off, or stopped, while handing it on: the calling thread knows why
        }
    }
}

// Runs one stage of a lane: takes each item from in and hands what work makes of it to out, up to
// the last item; a failure goes to out in the place of what work would have made.
template <typename In, typename Out, typename Work, typename IsLast>
void relay(BoundedQueue<In> &in, BoundedQueue<Out> &out, Work work, IsLast isLast)
{
    guarded(
        [&] {
            for (bool last = false; !last;) {
                In item = in.pop();
                last = isLast(item);
                out.push(work(item));
            }
        },
        [&](std::exception_ptr failure) {
            Out failed;
            failed.failure = failure;
            out.push(std::move(failed));
        });
}

class LaneThreads {
public:
    LaneThreads(MediaReader &reader, Lane *picture, Lane *sound) : reader_(reader), picture_(picture), sound_(sound) {}
    ~LaneThreads();
    LaneThreads(const LaneThreads &) = delete;
    LaneThreads &operator=(const LaneThreads &) = delete;

    void run(const PacketDelivery &deliver);

private:
    void start();
    void startThread(const char *name, void (LaneThreads::*work)());
    void deliverInTurn(const PacketDelivery &deliver);
    void closeAll();
    bool allClosed() const;
    void read();
    void filterPictures();
    void encodePictures();
    void runSound();

    MediaReader &reader_;
    Lane *picture_;
    Lane *sound_;
    std::atomic<bool> pictureClosed_ = false;
    std::atomic<bool> soundClosed_ = false;
    BoundedQueue<FrameHandle> decodedPictures_{WaitingPictures};
    BoundedQueue<FilteredFrames> filteredPictures_{WaitingPictures};
    BoundedQueue<EncodedPackets> picturePackets_{WaitingPictures};
    BoundedQueue<FrameHandle> decodedSounds_{WaitingSounds};
    BoundedQueue<EncodedPackets> soundPackets_{WaitingSounds};
    BoundedQueue<Turn> turns_{WaitingTurns};
    std::vector<std::thread> threads_;
};

LaneThreads::~LaneThreads()
{
    closeAll();
    for (std::thread &thread : threads_)
        thread.join();
}

void LaneThreads::run(const PacketDelivery &deliver)
{
    try {
        start();
        deliverInTurn(deliver);
    } catch (...) {
        closeAll();
        throw;
    }
}

void LaneThreads::start()
{
    try {
        startThread("read, decode", &LaneThreads::read);
        if (picture_) {
            startThread("picture filter", &LaneThreads::filterPictures);
            startThread("picture encode", &LaneThreads::encodePictures);
        }
        if (sound_)
            startThread("sound", &LaneThreads::runSound);
    } catch (const std::system_error &error) {
        throw Failure(QStringLiteral("Cannot start the encode's threads: %1").arg(QString::fromLocal8Bit(error.what())));
    }
}

// The name is what top -H and debuggers show, 15 characters at most.
void LaneThreads::startThread(const char *name, void (LaneThreads::*work)())
{
    threads_.emplace_back([this, name, work] {
        pthread_setname_np(pthread_self(), name);
        (this->*work)();
    });
}

void LaneThreads::deliverInTurn(const PacketDelivery &deliver)
{
    while (true) {
        Turn turn = turns_.pop();
        if (turn.kind == Turn::Failed)
            std::rethrow_exception(turn.failure);
        if (turn.kind == Turn::Finished)
            return;
        const bool isPicture = turn.kind == Turn::Picture;
        EncodedPackets packets = (isPicture ? picturePackets_ : soundPackets_).pop();
        if (packets.failure)
            std::rethrow_exception(packets.failure);
        deliver(isPicture ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO, packets);
    }
}

void LaneThreads::closeAll()
{
    decodedPictures_.close();
    filteredPictures_.close();
    picturePackets_.close();
    decodedSounds_.close();
    soundPackets_.close();
    turns_.close();
}

bool LaneThreads::allClosed() const
{
    return (!picture_ || pictureClosed_) && (!sound_ || soundClosed_);
}

void LaneThreads::read()
{
    guarded(
        [this] {
            // Frames for a lane whose filters have closed are left aside, as it would leave them.
            const auto hand = [this](AVMediaType type, AVFrame *frame) {
                if (type == AVMEDIA_TYPE_VIDEO && picture_ && !pictureClosed_) {
                    decodedPictures_.push(TakeFrame(frame));
                    turns_.push({Turn::Picture, {}});
                } else if (type == AVMEDIA_TYPE_AUDIO && sound_ && !soundClosed_) {
                    decodedSounds_.push(TakeFrame(frame));
                    turns_.push({Turn::Sound, {}});
                }
            };
            while (!allClosed() && reader_.decodeNext(hand)) {
            }
            if (picture_) {
                decodedPictures_.push(nullptr);
                turns_.push({Turn::Picture, {}});
            }
            if (sound_) {
                decodedSounds_.push(nullptr);
                turns_.push({Turn::Sound, {}});
            }
            turns_.push({Turn::Finished, {}});
        },
        [this](std::exception_ptr failure) { turns_.push({Turn::Failed, failure}); });
}

void LaneThreads::filterPictures()
{
    relay(
        decodedPictures_, filteredPictures_,
        [this](const FrameHandle &frame) {
            FilteredFrames filtered = picture_->filters.filter(frame.get());
            pictureClosed_ = filtered.closed;
            return filtered;
        },
        [](const FrameHandle &frame) { return !frame; });
}

void LaneThreads::encodePictures()
{
    relay(
        filteredPictures_, picturePackets_,
        [this](FilteredFrames &filtered) {
            if (filtered.failure)
                std::rethrow_exception(filtered.failure);
            return picture_->encoder.encode(filtered);
        },
        [](const FilteredFrames &filtered) { return filtered.sourceEnded; });
}

void LaneThreads::runSound()
{
    relay(
        decodedSounds_, soundPackets_,
        [this](const FrameHandle &frame) {
            EncodedPackets packets = sound_->process(frame.get());
            soundClosed_ = sound_->filters.closed();
            return packets;
        },
        [](const FrameHandle &frame) { return !frame; });
}

} // namespace

void RunLanesInThreads(MediaReader &reader, Lane *picture, Lane *sound, const PacketDelivery &deliver)
{
    LaneThreads threads(reader, picture, sound);
    threads.run(deliver);
}

LanesHere::LanesHere(MediaReader &reader, Lane *picture, Lane *sound, PacketDelivery deliver)
    : reader_(reader), picture_(picture), sound_(sound), deliver_(std::move(deliver))
{
}

bool LanesHere::step()
{
    if (ended_)
        return false;
    const auto feed = [this](AVMediaType type, AVFrame *frame) {
        if (Lane *lane = type == AVMEDIA_TYPE_VIDEO ? picture_ : sound_) {
            EncodedPackets packets = lane->process(frame);
            deliver_(type, packets);
        }
    };
    const bool running = (picture_ && !picture_->filters.closed()) || (sound_ && !sound_->filters.closed());
    if (running && reader_.decodeNext(feed))
        return true;
    for (const AVMediaType type : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO})
        feed(type, nullptr);
    ended_ = true;
    return false;
}

void RunLanesHere(MediaReader &reader, Lane *picture, Lane *sound, const PacketDelivery &deliver)
{
    LanesHere lanes(reader, picture, sound, deliver);
    while (lanes.step())
        StopIfRequested();
}
