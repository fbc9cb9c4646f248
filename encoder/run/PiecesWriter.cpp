#include "encoder/run/PiecesWriter.h"

#include "encoder/common/StopSignals.h"
#include "encoder/run/PartLanes.h"

#include <limits>

PiecesWriter::PiecesWriter(const SourceFacts &source, const EncodePlan &plan, WriteStage &file) : file_(file)
{
    if (!plan.sound || !file.writes())
        return;
    reader_ = OpenReader(source, false, true, 1, plan.start);
    sound_.emplace(SoundLane(*reader_, plan, file.globalHeaders()));
    file.addSound(sound_->encoder.encoder().context());
    run_.emplace(*reader_, nullptr, &*sound_, [this](AVMediaType, EncodedPackets &packets) {
        for (PacketHandle &packet : packets.packets)
            waiting_.push_back(std::move(packet));
    });
}

void PiecesWriter::writePicture(const std::vector<PacketHandle> &packets)
{
    for (const PacketHandle &packet : packets) {
        writeSoundUntil(file_.seconds(AVMEDIA_TYPE_VIDEO, *packet));
        file_.write(AVMEDIA_TYPE_VIDEO, packet.get());
    }
}

void PiecesWriter::finish()
{
    writeSoundUntil(std::numeric_limits<double>::infinity());
}

void PiecesWriter::writeSoundUntil(double seconds)
{
    while (run_) {
        if (waiting_.empty()) {
            if (!run_->step())
                return;
            StopIfRequested();
        } else if (file_.seconds(AVMEDIA_TYPE_AUDIO, *waiting_.front()) <= seconds) {
            file_.write(AVMEDIA_TYPE_AUDIO, waiting_.front().get());
            waiting_.pop_front();
        } else {
            return;
        }
    }
}
