#pragma once

#include <QString>
#include <QStringList>

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVCodecParameters;

// How a picture's values stand for colours. A Windows Media file carries no such description, and
// players show every one as standard-definition video: the BT.601 matrix, limited range, SDR.
struct PictureColour {
    AVColorSpace matrix = AVCOL_SPC_SMPTE170M; // as tagged, or as players take it
    bool matrixBySize = false;                 // not tagged, and taken from the picture's size
    AVColorRange range = AVCOL_RANGE_MPEG;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    int bitDepth = 8;

    // High dynamic range: PQ or HLG.
    bool hdr() const { return transfer == AVCOL_TRC_SMPTE2084 || transfer == AVCOL_TRC_ARIB_STD_B67; }
    // A matrix other than BT.601's.
    bool otherMatrix() const;
};

// The colour of a video stream. A matrix that is not tagged is taken as players take it: BT.709
// for a high-definition size (wider than 1280 or higher than 576), BT.601 otherwise.
PictureColour ColourOf(const AVCodecParameters &codec);

// The colour in a few words where it is not plain standard definition ("BT.709", "HDR HLG,
// BT.2020, 10-bit"); empty where it is.
QString ColourText(const PictureColour &colour);

// The libavfilter steps that turn the picture into what players show right: HDR tone-mapped to SDR,
// another matrix converted to BT.601's, limited range. None where the picture needs none.
QStringList ColourFilters(const PictureColour &colour);
