#include "encoder/plan/FilterGraphs.h"

#include <QStringList>

namespace {

QString seconds(double value)
{
    return QString::number(value, 'f', 6);
}

QString rational(AVRational value)
{
    return QStringLiteral("%1/%2").arg(value.num).arg(value.den);
}

QStringList trimFilters(const Trim &trim, const QString &prefix)
{
    if (trim.start <= 0 && !trim.end && trim.origin <= 0)
        return {};
    QString kept = QStringLiteral("%1trim=start=%2").arg(prefix, seconds(trim.start));
    if (trim.end)
        kept += QStringLiteral(":end=%1").arg(seconds(*trim.end));
    return {kept, QStringLiteral("%1setpts=PTS-%2/TB").arg(prefix, seconds(trim.origin))};
}

QStringList deinterlaceFilters(Preprocessing method)
{
    switch (method) {
    case Preprocessing::None: return {};
    case Preprocessing::Deinterlace:
    case Preprocessing::DeinterlaceHalfSize: return {QStringLiteral("yadif=mode=send_frame:deint=all")};
    case Preprocessing::DeinterlaceHalfSizeDoubleRate:
    case Preprocessing::DeinterlaceHalfHeightDoubleRate: return {QStringLiteral("yadif=mode=send_field:deint=all")};
    case Preprocessing::InverseTelecine:
        // Field matching rebuilds the film frames, leftover combed frames are deinterlaced, and one
        // frame in five, the repeated one, is dropped.
        return {QStringLiteral("fieldmatch"), QStringLiteral("yadif=deint=interlaced"), QStringLiteral("decimate")};
    }
    return {};
}

// Turns the picture upright as players do. It comes after deinterlacing, whose fields are rows of
// the picture as stored, and after scaling, as turning a picture costs as much as scaling it and the
// scaled picture is smaller.
QStringList rotationFilters(int clockwise)
{
    switch (clockwise) {
    case 90: return {QStringLiteral("transpose=clock")};
    case 180: return {QStringLiteral("hflip"), QStringLiteral("vflip")};
    case 270: return {QStringLiteral("transpose=cclock")};
    default: return {};
    }
}

// The part of the stored picture that stands upright as the crop rectangle, which is in the
// upright picture; iw and ih are the stored picture's width and height.
QString cropFilter(const CropRect &crop, int clockwise)
{
    const auto filter = [](auto width, auto height, auto x, auto y) {
        return QStringLiteral("crop=%1:%2:%3:%4").arg(width).arg(height).arg(x).arg(y);
    };
    switch (clockwise) {
    case 90: return filter(crop.height, crop.width, QString::number(crop.y), QStringLiteral("ih-%1").arg(crop.x + crop.width));
    case 180: return filter(crop.width, crop.height, QStringLiteral("iw-%1").arg(crop.x + crop.width), QStringLiteral("ih-%1").arg(crop.y + crop.height));
    case 270: return filter(crop.height, crop.width, QStringLiteral("iw-%1").arg(crop.y + crop.height), QString::number(crop.x));
    default: return filter(crop.width, crop.height, QString::number(crop.x), QString::number(crop.y));
    }
}

bool shrunkByZscale(const PicturePlan &video)
{
    return video.colour.matrix != AVCOL_SPC_RGB && video.colour.range == AVCOL_RANGE_MPEG
           && int64_t(video.width) * video.height * 4 <= video.keptPixels;
}

} // namespace

// Shifting by the section's start, rather than by the first kept frame, keeps picture and sound in
// step.
Trim SectionTrim(const EncodePlan &plan)
{
    return {plan.start, plan.end, plan.start};
}

QString PictureFilterDescription(const EncodePlan &plan, const Trim &trim)
{
    const PicturePlan &video = *plan.picture;
    QStringList filters = trimFilters(trim, QString());
    const bool onItsSide = video.rotation % 180;
    // Deinterlacing and clipping take pictures of one size (FFmpeg's crop aborts on a smaller one).
    // A source whose picture changes size part way, as recordings of each size joined or a stream
    // that followed its bandwidth, is brought back to its probed size for them; pictures of that
    // size pass through unchanged.
    if (video.crop || video.preprocessing != Preprocessing::None)
        filters += QStringLiteral("scale=%1:%2")
                       .arg(onItsSide ? video.sourceHeight : video.sourceWidth)
                       .arg(onItsSide ? video.sourceWidth : video.sourceHeight);
    filters += deinterlaceFilters(video.preprocessing);
    if (video.crop)
        filters += cropFilter(*video.crop, video.rotation);
    // Scaled as stored, to the size that stands upright as asked.
    const int width = onItsSide ? video.height : video.width;
    const int height = onItsSide ? video.width : video.height;
    // A picture for a colour table (mostly 10-bit) is scaled by zscale, which scales 10 bits at half
    // the cost of scale's bicubic, and into the BT.2020 Y'CbCr that the table takes, should it be
    // stored as RGB. So is a limited-range Y'CbCr picture shrunk to a quarter of its pixels or fewer
    // (a phone's 4K to 720p), with scale's own bicubic, at about two thirds of scale's cost. RGB and
    // full range keep scale, which makes limited-range Y'CbCr of them as it scales; zscale would
    // have to be told their matrix and range.
    if (video.colour.tabled())
        filters += QStringLiteral("zscale=w=%1:h=%2:f=bicubic:m=2020_ncl").arg(width).arg(height);
    else if (shrunkByZscale(video))
        filters += QStringLiteral("zscale=w=%1:h=%2:f=bicubic:param_a=0:param_b=0.6").arg(width).arg(height);
    else
        filters += QStringLiteral("scale=%1:%2").arg(width).arg(height);
    filters += rotationFilters(video.rotation);
    if (video.squarePixels)
        filters += QStringLiteral("setsar=1");
    const QString frameRate = rational(video.frameRate);
    filters += ColourFilters(video.colour);
    filters += QStringLiteral("fps=%1").arg(frameRate);
    filters += QStringLiteral("format=%1").arg(FilteredPixelFormat(video.colour));
    return filters.join(u',');
}

QString SoundFilterDescription(const EncodePlan &plan, std::optional<int64_t> firstSample)
{
    QStringList filters = trimFilters(SectionTrim(plan), QStringLiteral("a"));
    // A gap in the sound, where a recording dropped some, is filled with silence, and an overlap cut:
    // the encoder takes the samples one after the other, and the sound after a gap would otherwise
    // run ahead of the picture for players that play it so. Channels mixed down for fewer speakers
    // (5.1 to stereo, stereo to mono) are scaled so that their sum stays within full scale: the
    // encoder takes floating-point samples, which libswresample would otherwise leave above it, for
    // every player to clip. A mix that cannot pass full scale (stereo as it is, mono to stereo) is
    // left as it was.
    QString resample = QStringLiteral("aresample=async=1:min_hard_comp=0.03:rematrix_maxval=1");
    if (firstSample)
        resample += QStringLiteral(":first_pts=%1").arg(*firstSample);
    filters += resample;
    filters += QStringLiteral("aformat=sample_fmts=fltp:sample_rates=%1:channel_layouts=%2")
                   .arg(plan.sound->sampleRate)
                   .arg(plan.sound->channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo"));
    return filters.join(u',');
}
