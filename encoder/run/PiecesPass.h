#pragma once

#include "encoder/run/PassParts.h"

// Encodes the pass's pieces of the picture on threads of their own, as many at once as the share
// allows, and the sound beside them in the calling thread, which writes both in the order of their
// timestamps, joining the pieces within a constant rate's buffer.
PassResult RunInPieces(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                       CoreShare share);
