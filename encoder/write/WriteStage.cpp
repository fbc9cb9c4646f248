#include "encoder/write/WriteStage.h"

#include "encoder/plan/MadeFrom.h"

WriteStage::WriteStage(const QString &path, const PassPlan &pass) : plan_(pass.encode)
{
    if (pass.writes())
        writer_.emplace(path, pass.encode);
}

void WriteStage::addPicture(const AVCodecContext &encoder)
{
    if (writer_)
        picture_ = {writer_->addStream(encoder, plan_.picture->declaredRate()), encoder.time_base};
}

void WriteStage::addSound(const AVCodecContext &encoder)
{
    if (writer_)
        sound_ = {writer_->addStream(encoder, SoundRate(*plan_.sound, encoder.frame_size)), encoder.time_base};
}

void WriteStage::begin()
{
    if (writer_)
        writer_->begin();
}

void WriteStage::write(AVMediaType type, AVPacket *packet)
{
    if (writer_)
        writer_->write(packet, slot(type).index, slot(type).timeBase);
}

double WriteStage::seconds(AVMediaType type, const AVPacket &packet) const
{
    return double(packet.pts) * av_q2d(slot(type).timeBase);
}

void WriteStage::finish(double encoded)
{
    if (writer_)
        writer_->finish(RecordWithLength(plan_.madeFrom, LengthToExpect(plan_, encoded)));
}
