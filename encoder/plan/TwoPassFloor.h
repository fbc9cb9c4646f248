#pragma once

#include <QByteArray>

extern "C" {
#include <libavutil/rational.h>
}

// The lowest average bit rate, in bit/s, at which the second pass can fit every frame that the
// first pass's statistics describe, with each frame at the coarsest quantiser the encoder allows.
// Below it FFmpeg's MPEG-4-family rate control gives up while opening the second pass, and wmv2
// does not survive that failure, so the utility never asks for less.
double LowestTwoPassBitRate(const QByteArray &statistics, AVRational frameRate);

// The bit rate the second pass is given: the one asked for, or the lowest one above with a margin,
// rounded up to whole kbit/s.
int SafeTwoPassBitRate(int asked, const QByteArray &statistics, AVRational frameRate);
