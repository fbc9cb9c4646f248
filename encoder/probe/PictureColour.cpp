#include "encoder/probe/PictureColour.h"

extern "C" {
#include <libavcodec/codec_par.h>
#include <libavutil/pixdesc.h>
}

namespace {

// Players take an untagged picture this wide or wider, or higher than this, for high definition.
constexpr int HdWidth = 1280;
constexpr int SdHeight = 576;

// HDR's reference white, in cd/m², which becomes SDR's white.
constexpr int ReferenceWhite = 203;

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

// Tone mapping in linear light, with reference white at 1.0: to BT.709's primaries, a curve that
// keeps what is darker than 0.6 as it is and rolls the highlights off towards white, then BT.601
// as players show it. The source's own tags are named, where its frames may lack them.
QStringList toneMapping(const PictureColour &colour)
{
    return {QStringLiteral("zscale=tin=%1:min=%2:pin=%3:t=linear:npl=%4")
                .arg(colour.transfer).arg(colour.matrix).arg(colour.primaries).arg(ReferenceWhite),
            QStringLiteral("format=gbrpf32le"), QStringLiteral("zscale=p=bt709"), QStringLiteral("tonemap=mobius:param=0.6"),
            QStringLiteral("zscale=t=bt709:m=170m:r=limited"), QStringLiteral("format=yuv420p")};
}

} // namespace

bool PictureColour::otherMatrix() const
{
    return matrix == AVCOL_SPC_BT709 || matrix == AVCOL_SPC_BT2020_NCL || matrix == AVCOL_SPC_SMPTE240M;
}

PictureColour ColourOf(const AVCodecParameters &codec)
{
    PictureColour colour;
    colour.transfer = codec.color_trc;
    colour.primaries = codec.color_primaries;
    // HDR comes with BT.2020 alone.
    if (colour.hdr() && colour.primaries == AVCOL_PRI_UNSPECIFIED)
        colour.primaries = AVCOL_PRI_BT2020;
    colour.matrixBySize = untagged(codec.color_space) && !colour.hdr();
    if (!untagged(codec.color_space))
        colour.matrix = codec.color_space;
    else if (colour.hdr())
        colour.matrix = AVCOL_SPC_BT2020_NCL;
    else
        colour.matrix = codec.width >= HdWidth || codec.height > SdHeight ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    const auto format = AVPixelFormat(codec.format);
    const bool fullRangeFormat = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
    colour.range = codec.color_range == AVCOL_RANGE_JPEG || fullRangeFormat ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    if (const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(format))
        colour.bitDepth = descriptor->comp[0].depth;
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
    if (colour.hdr())
        return toneMapping(colour);
    // The matrix alone: the primaries and transfer stay, as players leave them. The range is read
    // from the frames.
    if (colour.otherMatrix())
        return {QStringLiteral("colorspace=iall=%1:all=%1:space=bt470bg:range=tv:format=yuv420p").arg(allName(colour.matrix))};
    return {};
}
