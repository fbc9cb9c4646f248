#pragma once

#include <optional>
#include <vector>

// What a constant rate R with a buffer B means to a player: it receives R bits a second and starts
// playing once B's worth has come in, and it never has to wait when no stretch of the stream holds
// more than R x (stretch + B) bits. The bucket holds the bits of the frames so far that have not yet
// drained out at the rate; the stream keeps its rate while the bucket never holds more than R x B.
class LeakyBucket {
public:
    // bitRate in bit/s; fullness: the bits in the bucket at the start.
    explicit LeakyBucket(double bitRate, double fullness = 0);

    // Lets the bits drain until this many seconds into the stream, then adds a frame's bits.
    void add(double seconds, double bits);

    // The bits in the bucket this many seconds into the stream, none added since the last frame.
    double fullnessAt(double seconds) const;
    double fullness() const { return fullness_; }
    double bitRate() const { return bitRate_; }

private:
    double bitRate_;
    double fullness_;
    std::optional<double> last_; // when the last frame was added
};

// What a buffer of this many milliseconds holds at the bit rate, in bits.
double BufferBits(double bitRate, double bufferMs);

// One frame of a stream: when it is due, in seconds, and its size in bits.
struct TimedFrame {
    double seconds = 0;
    double bits = 0;
};

// Where the bucket is fullest, filled with the frames in turn from the fullness given.
struct Fullest {
    double seconds = 0;
    double bits = 0;
    size_t frame = 0; // the frame that filled it so
};
Fullest FullestPoint(const std::vector<TimedFrame> &frames, double bitRate, double fullness = 0);
