// The colour table against the filters it is sampled from: an HLG picture at 1280x720 (gradients
// in luma and chroma, with grain, as a phone's video) converted to what players show, by the table
// and by running its filters on the picture, each many times; the shortest round of each counts.
// Prints the milliseconds a frame and their ratio, the goal being a third of the filters' cost.
#include "encoder/filter/ColourTable.h"
#include "encoder/filter/FilterChain.h"
#include "encoder/probe/PictureColour.h"
#include "platform/Failure.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>

namespace {

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr int Frames = 20;
constexpr int Rounds = 5;
constexpr double Goal = 1.0 / 3;

FrameHandle newFrame(AVPixelFormat format)
{
    FrameHandle frame = NewFrame();
    frame->format = format;
    frame->width = Width;
    frame->height = Height;
    // zimg's widest vector code reads rows aligned to 64 bytes.
    if (av_frame_get_buffer(frame.get(), 64) < 0)
        throw Failure(QStringLiteral("Out of memory."));
    return frame;
}

FrameHandle grainyPicture()
{
    FrameHandle picture = newFrame(AV_PIX_FMT_YUV420P10LE);
    std::mt19937 random(1);
    std::uniform_int_distribution grain(-12, 12);
    const auto fill = [&](int plane, int width, int height, auto codeAt) {
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<uint16_t *>(picture->data[plane] + y * picture->linesize[plane]);
            for (int x = 0; x < width; ++x)
                row[x] = uint16_t(std::clamp(codeAt(x, y) + grain(random), 64, 940));
        }
    };
    fill(0, Width, Height, [](int x, int y) { return 64 + (x + y) * 876 / (Width + Height); });
    fill(1, Width / 2, Height / 2, [](int x, int) { return 512 - 200 + x * 400 / (Width / 2); });
    fill(2, Width / 2, Height / 2, [](int, int y) { return 512 - 200 + y * 400 / (Height / 2); });
    return picture;
}

// The shortest of the rounds, each converting the frames, in milliseconds a frame.
template <typename Round> double msPerFrame(Round round)
{
    double shortest = 1e9;
    for (int done = 0; done < Rounds; ++done) {
        QElapsedTimer timer;
        timer.start();
        round();
        shortest = std::min(shortest, double(timer.nsecsElapsed()) / 1e6 / Frames);
    }
    return shortest;
}

} // namespace

int main()
{
    PictureColour colour;
    colour.matrix = AVCOL_SPC_BT2020_NCL;
    colour.primaries = AVCOL_PRI_BT2020;
    colour.transfer = AVCOL_TRC_ARIB_STD_B67;
    colour.bitDepth = 10;
    colour.peak = 1000;
    const QString filters = ColourTableFilters(colour) + u',' + ColourTableEnd() + QStringLiteral(",format=yuv420p");
    const FrameHandle picture = grainyPicture();
    const FrameHandle shown = newFrame(AV_PIX_FMT_YUV420P);
    const ColourTable table = ColourTable::sample(ColourTableFilters(colour));

    const double tableMs = msPerFrame([&] {
        for (int frame = 0; frame < Frames; ++frame)
            table.apply(*picture, *shown);
    });
    const double filtersMs = msPerFrame([&] {
        FilterChain chain = FilterChain::forPicture(Width, Height, AV_PIX_FMT_YUV420P10LE, {1, 25}, {1, 1}, {25, 1}, filters);
        for (int frame = 0; frame < Frames; ++frame) {
            FrameHandle copy(av_frame_clone(picture.get()));
            copy->pts = frame;
            chain.push(copy.get());
            chain.pull([](AVFrame *) {});
        }
        chain.push(nullptr);
        chain.pull([](AVFrame *) {});
    });
    const double ratio = tableMs / filtersMs;
    std::printf("HLG to SDR at 1280x720: colour table %.2f ms a frame, its filters %.2f ms   ratio %.2f%s\n", tableMs, filtersMs, ratio,
                ratio > Goal ? "   OVER the goal of 0.33" : "   goal 0.33");
    return 0;
}
