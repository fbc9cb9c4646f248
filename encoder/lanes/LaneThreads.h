#pragma once

#include "encoder/lanes/Lane.h"
#include "encoder/read/MediaReader.h"

#include <functional>

// Takes each stream's packets for one decoded frame, in the calling thread.
using PacketDelivery = std::function<void(AVMediaType, EncodedPackets &)>;

// Runs the source through the lanes (either may be missing) to its end, or until every lane's
// filters have closed, and hands each lane's packets for each decoded frame to deliver, in the order
// the frames were decoded. Raises Failure where any stage fails, the first in that order, and
// Stopped once a stop is asked for.
//
// In threads: reading and decoding, the picture's filters, the picture's encoder and the sound run
// in threads of their own, with a few frames queued between them, and deliver runs in the calling
// thread; since the packets are taken in the order above, what is written does not depend on how the
// threads ran. A failure anywhere ends every thread. Returns once every thread has ended.
void RunLanesInThreads(MediaReader &reader, Lane *picture, Lane *sound, const PacketDelivery &deliver);

// The same, every stage in turn in the calling thread: for an encode beside others that keep the
// other cores busy, where handing frames between threads would only cost.
void RunLanesHere(MediaReader &reader, Lane *picture, Lane *sound, const PacketDelivery &deliver);

// The same, a step at a time, for a caller that does other work between the steps.
class LanesHere {
public:
    LanesHere(MediaReader &reader, Lane *picture, Lane *sound, PacketDelivery deliver);

    // Decodes the source's next packet and runs its frames through the lanes. At the end of the
    // source, or once every lane's filters have closed, ends the lanes' streams instead and returns
    // false, as every later call does.
    bool step();

private:
    MediaReader &reader_;
    Lane *picture_;
    Lane *sound_;
    PacketDelivery deliver_;
    bool ended_ = false;
};
