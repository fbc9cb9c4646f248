#pragma once

#include "encoder/run/EncodeFile.h"

#include <QString>
#include <optional>

// How long an encode still has to run, from the work done so far: the pass under way at the pace
// its work has kept since it began to show and, in the first of two passes, the second as long as
// the first. Early in the second pass, before its own pace shows, the first pass's length stands
// for it.
class TimeLeft {
public:
    // Told of every progress report, with the seconds since the encode began.
    void observe(const EncodeProgress &progress, double seconds);

    // Nothing while the pass under way is too young to tell.
    std::optional<double> seconds() const;

private:
    EncodeProgress last_;
    double now_ = 0;
    double passStart_ = 0;
    bool working_ = false; // the pass has shown work done
    double workStart_ = 0;
    double doneAtWorkStart_ = 0;
    double firstPassSeconds_ = 0;
};

// Seconds as minutes and seconds, "1:05".
QString MinutesAndSeconds(double seconds);
