#pragma once

#include "encoder/common/LibavSupport.h"

#include <QString>
#include <memory>
#include <vector>

// Colours converted to what players show, HDR tone-mapped and BT.2020's primaries brought to
// BT.709's, at a fraction of the cost of running the filters that do it on every frame: the filters
// are run once, on a picture that holds every point of a grid of 10-bit Y'CbCr values, and each
// frame's colours are then read off that grid.
//
// The grid holds linear light, where the filters' output changes gently between its points; their
// last step, to BT.601 Y'CbCr with BT.1886's gamma in limited range, is worked out for every pixel, as
// that gamma changes too steeply near black to be read off between points. Its points lie 16 codes
// apart on the Cb and Cr axes, with one at neutral, where the tone curve bends as the brightest of
// red, green and blue changes; and 8 apart on the luma axis, along which the tone curve bends at
// reference white.
class ColourTable {
public:
    // Runs the libavfilter description, which takes 4:4:4 Y'CbCr of the source's colour (its range,
    // matrix, transfer and primaries named in the description) and gives linear-light RGB with
    // BT.709's primaries as gbrpf32le, over the grid's points. Throws Failure where the filters fail.
    static ColourTable sample(const QString &description);

    // The table for the description, sampled once and shared by every caller while any holds it.
    static std::shared_ptr<const ColourTable> shared(const QString &description);

    // Converts a yuv420p10le picture into a yuv420p one of the same size, which the caller allocates.
    void apply(const AVFrame &in, AVFrame &out) const;

    // Linear red, green and blue at a point, and a fourth value unused: a point is read in one load,
    // and the four corners of a cell are weighed in four vector operations on any processor.
    using Light = float __attribute__((vector_size(16)));

private:
    ColourTable();

    // The points, the luma index running fastest: [Cb][Cr][Y'].
    std::vector<Light> light_;
    // BT.1886's gamma, 1/2.4, looked up by the bits of a float of linear light.
    std::vector<float> gamma_;
};
