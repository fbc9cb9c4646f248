#include "encoder/probe/PictureColour.h"

#include <algorithm>

extern "C" {
#include <libavcodec/codec_par.h>
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/pixdesc.h>
}

namespace {

// Players take an untagged picture this wide or wider, or higher than this, for high definition.
constexpr int HdWidth = 1280;
constexpr int SdHeight = 576;

// HDR's reference white, in cd/m², which becomes SDR's white.
constexpr double ReferenceWhite = 203;
// The brightest HLG is made for, and PQ's ceiling, in cd/m².
constexpr double HlgPeak = 1000;
constexpr double PqPeak = 10000;
// The tone curve leaves light up to this share of reference white as it is, and rolls off what is
// brighter: reference white comes out a little below SDR's white, at Y 232 of 235, and the
// picture's peak at SDR's white.
constexpr double ToneCurveKnee = 0.94;

bool untagged(AVColorSpace matrix)
{
    return matrix == AVCOL_SPC_UNSPECIFIED || matrix == AVCOL_SPC_RESERVED;
}

// The name the colorspace filter gives the matrix, with its primaries and transfer, at once.
QString allName(AVColorSpace matrix)
{
    switch (matrix) {
    case AVCOL_SPC_BT709: return QStringLiteral("bt709");
    case AVCOL_SPC_BT2020_NCL: return QStringLiteral("bt2020");
    default: return QStringLiteral("smpte240m");
    }
}

QString matrixName(AVColorSpace matrix)
{
    switch (matrix) {
    case AVCOL_SPC_BT709: return QStringLiteral("BT.709");
    case AVCOL_SPC_BT2020_NCL: return QStringLiteral("BT.2020");
    default: return QStringLiteral("SMPTE 240M");
    }
}

// The brightest the stream says its picture holds, in cd/m²: its brightest pixel, else the peak of the
// display it was mastered on; 0 where it says neither.
double toldPeak(const AVStream &stream)
{
    if (const auto *light = reinterpret_cast<const AVContentLightMetadata *>(
            av_stream_get_side_data(&stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, nullptr));
        light && light->MaxCLL > 0)
        return light->MaxCLL;
    if (const auto *display = reinterpret_cast<const AVMasteringDisplayMetadata *>(
            av_stream_get_side_data(&stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, nullptr));
        display && display->has_luminance && av_q2d(display->max_luminance) > 0)
        return av_q2d(display->max_luminance);
    return 0;
}

} // namespace

bool PictureColour::otherMatrix() const
{
    return matrix == AVCOL_SPC_BT709 || matrix == AVCOL_SPC_BT2020_NCL || matrix == AVCOL_SPC_SMPTE240M;
}

PictureColour ColourOf(const AVStream &stream)
{
    const AVCodecParameters &codec = *stream.codecpar;
    PictureColour colour;
    colour.transfer = codec.color_trc;
    colour.primaries = codec.color_primaries;
    // HDR, and the BT.2020 matrix, come with BT.2020's primaries alone.
    if ((colour.hdr() || codec.color_space == AVCOL_SPC_BT2020_NCL) && colour.primaries == AVCOL_PRI_UNSPECIFIED)
        colour.primaries = AVCOL_PRI_BT2020;
    const auto format = AVPixelFormat(codec.format);
    const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(format);
    if (descriptor)
        colour.bitDepth = descriptor->comp[0].depth;
    // A picture stored as RGB has no matrix: scaling makes BT.601 Y'CbCr of it, as players want.
    if (descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_RGB)) {
        colour.matrix = AVCOL_SPC_RGB;
    } else {
        colour.matrixBySize = untagged(codec.color_space) && !colour.hdr();
        if (!untagged(codec.color_space))
            colour.matrix = codec.color_space;
        else if (colour.hdr())
            colour.matrix = AVCOL_SPC_BT2020_NCL;
        else
            colour.matrix = codec.width >= HdWidth || codec.height > SdHeight ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
        const bool fullRangeFormat = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
        colour.range = codec.color_range == AVCOL_RANGE_JPEG || fullRangeFormat ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    }
    if (colour.hdr()) {
        const double told = toldPeak(stream);
        colour.peak = told > 0 ? told : colour.transfer == AVCOL_TRC_ARIB_STD_B67 ? HlgPeak : PqPeak;
    }
    return colour;
}

QString ColourText(const PictureColour &colour)
{
    QStringList parts;
    if (colour.hdr())
        parts += colour.transfer == AVCOL_TRC_SMPTE2084 ? QStringLiteral("HDR PQ") : QStringLiteral("HDR HLG");
    if (colour.otherMatrix())
        parts += matrixName(colour.matrix) + (colour.matrixBySize ? QStringLiteral(" (untagged, by its size)") : QString());
    if (colour.range == AVCOL_RANGE_JPEG)
        parts += QStringLiteral("full range");
    if (colour.bitDepth > 8)
        parts += QStringLiteral("%1-bit").arg(colour.bitDepth);
    return parts.join(QStringLiteral(", "));
}

QStringList ColourFilters(const PictureColour &colour)
{
    // The matrix alone: the primaries and transfer stay, as players leave them. The range is read
    // from the frames.
    if (!colour.tabled() && colour.otherMatrix())
        return {QStringLiteral("colorspace=iall=%1:all=%1:space=bt470bg:range=tv:format=yuv420p").arg(allName(colour.matrix))};
    return {};
}

QString FilteredPixelFormat(const PictureColour &colour)
{
    return colour.tabled() ? QStringLiteral("yuv420p10le") : QStringLiteral("yuv420p");
}

// To linear light, with BT.709's primaries, through BT.1886's display gamma for SDR, as players
// that convert colours do. For HDR, reference white is 1.0, and the tone curve keeps what is darker
// than its knee as it is and rolls the highlights off towards white, the picture's peak reaching it.
// The source's tags are set and named, as the table's samples carry none, and the tone curve
// desaturates the brightest colours by the matrix it finds on them.
QString ColourTableFilters(const PictureColour &colour)
{
    if (!colour.tabled())
        return {};
    const AVColorSpace matrix = colour.matrix == AVCOL_SPC_RGB ? AVCOL_SPC_BT2020_NCL : colour.matrix;
    const QString range = colour.range == AVCOL_RANGE_JPEG ? QStringLiteral("full") : QStringLiteral("limited");
    // SDR's transfer, where untagged, is BT.709's, which BT.2020's is too.
    const AVColorTransferCharacteristic transfer = colour.transfer == AVCOL_TRC_UNSPECIFIED ? AVCOL_TRC_BT709 : colour.transfer;
    const QString linear = QStringLiteral("setparams=range=%1:color_primaries=%2:color_trc=%3:colorspace=%4,"
                                          "zscale=rin=%1:tin=%3:min=%4:pin=%2:t=linear:p=%2:npl=%5,format=gbrpf32le,zscale=p=bt709")
                               .arg(range)
                               .arg(colour.primaries)
                               .arg(transfer)
                               .arg(matrix)
                               .arg(ReferenceWhite);
    if (!colour.hdr())
        return linear + QStringLiteral(",format=gbrpf32le");
    return linear + QStringLiteral(",tonemap=mobius:param=%1:peak=%2,format=gbrpf32le")
                        .arg(ToneCurveKnee)
                        .arg(std::max(1.0, colour.peak / ReferenceWhite), 0, 'f', 4);
}

QString ColourTableEnd()
{
    return QStringLiteral("zscale=t=bt709:m=170m:r=limited");
}
