#pragma once

#include "encoder/run/PassParts.h"

// Runs the source once through the lanes of the whole picture and the sound at once, writing what
// they give to path unless the pass writes nothing.
PassResult RunWhole(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                    CoreShare share);
