#pragma once

// Holds a constant-rate picture stream to its bit rate where the encoder alone cannot, even at its
// coarsest quantiser: a model of the player's buffer, filled by each frame written and emptied at
// the bit rate. A frame that would overfill it is dropped, as constant-rate encoders do; the
// picture before it stays on screen a little longer.
class RateKeeper {
public:
    // bitRate in bit/s; buffer in bits.
    RateKeeper(double bitRate, double buffer);

    // Whether the frame that starts this many seconds into the output is encoded. A frame is always
    // encoded once the buffer has emptied, however large the one before was.
    bool admits(double seconds);

    // Counts a packet the encoder wrote.
    void spent(int bytes, bool key);

private:
    double bitRate_;
    double buffer_;
    double fullness_ = 0; // bits written and not yet drained
    double drainedUntil_ = 0;
    double lastDelta_ = 0; // bits of the last frame that was not a key frame
};
