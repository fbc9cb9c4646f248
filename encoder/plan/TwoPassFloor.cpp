#include "encoder/plan/TwoPassFloor.h"

#include "encoder/asked/Settings.h"

#include <QList>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavutil/avutil.h>
}

namespace {

// The encoder's coarsest quantiser in lambda units; I frames get 0.8 of it.
constexpr double CoarsestP = double(CoarsestQuantiser) * FF_QP2LAMBDA;
const double CoarsestI = std::floor(CoarsestP * 0.8 + 0.5);

// Bits kept in hand over the lowest rate, as the rate control's own estimate is not exact.
constexpr double Margin = 1.1;

} // namespace

double LowestTwoPassBitRate(const QByteArray &statistics, AVRational frameRate)
{
    double bits = 0;
    int frames = 0;
    for (const QByteArray &entry : statistics.split(';')) {
        int type = 0, quantiser = 0, intraBits = 0, interBits = 0, motionBits = 0, otherBits = 0;
        if (std::sscanf(entry.constData(), " in:%*d out:%*d type:%d q:%d itex:%d ptex:%d mv:%d misc:%d", &type,
                        &quantiser, &intraBits, &interBits, &motionBits, &otherBits) != 6)
            continue;
        // Texture bits scale with the inverse of the quantiser; motion and header bits do not.
        const double coarsest = type == AV_PICTURE_TYPE_I ? CoarsestI : CoarsestP;
        bits += quantiser * (double(intraBits) + interBits + 1) / coarsest + motionBits + otherBits;
        ++frames;
    }
    return frames == 0 ? 0 : bits * av_q2d(frameRate) / frames;
}

int SafeTwoPassBitRate(int asked, const QByteArray &statistics, AVRational frameRate)
{
    const double lowest = LowestTwoPassBitRate(statistics, frameRate) * Margin;
    if (asked >= lowest)
        return asked;
    return int(std::ceil(lowest / 1000.0)) * 1000;
}
