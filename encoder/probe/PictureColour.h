#pragma once

#include <QString>
#include <QStringList>

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVStream;

// How a picture's values stand for colours. A Windows Media file carries no such description, and
// players show every one as standard-definition video: the BT.601 matrix, limited range, SDR, with
// BT.709's primaries (which players do not tell from BT.601's).
struct PictureColour {
    AVColorSpace matrix = AVCOL_SPC_SMPTE170M; // as tagged, or as players take it; RGB for a picture stored as RGB
    bool matrixBySize = false;                 // not tagged, and taken from the picture's size
    AVColorRange range = AVCOL_RANGE_MPEG;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    int bitDepth = 8;
    double peak = 0; // HDR: the brightest the picture holds, in cd/m²

    // High dynamic range: PQ or HLG.
    bool hdr() const { return transfer == AVCOL_TRC_SMPTE2084 || transfer == AVCOL_TRC_ARIB_STD_B67; }
    // A Y'CbCr matrix other than BT.601's.
    bool otherMatrix() const;
    // BT.2020's primaries, wider than those players show.
    bool widePrimaries() const { return primaries == AVCOL_PRI_BT2020; }
    // Converted by a colour table: HDR, or BT.2020's primaries.
    bool tabled() const { return hdr() || widePrimaries(); }
};

// The colour of a video stream. A Y'CbCr matrix that is not tagged is taken as players take it:
// BT.709 for a high-definition size (wider than 1280 or higher than 576), BT.601 otherwise. An HDR
// picture's peak is the brightest its stream says it holds, else the most its transfer was made
// for: HLG's 1000 cd/m², PQ's 10000.
PictureColour ColourOf(const AVStream &stream);

// The colour in a few words where it is not plain standard definition ("BT.709", "HDR HLG,
// BT.2020, 10-bit"); empty where it is.
QString ColourText(const PictureColour &colour);

// The libavfilter steps that turn the scaled picture into what players show right: another matrix
// converted to BT.601's, limited range. None where the picture needs none, or where a colour table
// converts it (see ColourTableFilters).
QStringList ColourFilters(const PictureColour &colour);

// The pixel format the filters hand on: what the encoder takes, or the 10-bit Y'CbCr that a colour
// table takes.
QString FilteredPixelFormat(const PictureColour &colour);

// For HDR, and for BT.2020's primaries, the libavfilter steps that a colour table is sampled from
// (see ColourTable): from 4:4:4 Y'CbCr of the picture's colour to linear light with BT.709's
// primaries (gbrpf32le). HDR is tone-mapped on the way: reference white (HLG's 75 %, PQ's
// 203 cd/m²) is 1.0, and stays nearly as white, and what is brighter, up to the picture's peak, is
// rolled off above it. Empty for a picture that needs neither.
QString ColourTableFilters(const PictureColour &colour);

// The libavfilter step that a colour table works out itself, for each pixel, after the steps it is
// sampled from: BT.1886's gamma, BT.601's matrix, limited range.
QString ColourTableEnd();
