#include "encoder/console/TimeLeft.h"

namespace {

// A pace is taken once the work has gone on this long and done this much. Before the first work
// shows, opening the source and starting the decoders take time that says nothing of the pace.
constexpr double ShortestPaceSeconds = 0.5;
constexpr double LeastPaceDone = 0.01;

} // namespace

void TimeLeft::observe(const EncodeProgress &progress, double seconds)
{
    if (progress.pass != last_.pass) {
        if (last_.pass == 1)
            firstPassSeconds_ = seconds - passStart_;
        passStart_ = seconds;
        working_ = false;
    }
    if (!working_ && progress.done > 0) {
        working_ = true;
        workStart_ = seconds;
        doneAtWorkStart_ = progress.done;
    }
    last_ = progress;
    now_ = seconds;
}

std::optional<double> TimeLeft::seconds() const
{
    const double worked = now_ - workStart_;
    const double doneSince = last_.done - doneAtWorkStart_;
    if (!working_ || worked < ShortestPaceSeconds || doneSince < LeastPaceDone) {
        if (last_.pass > 1 && firstPassSeconds_ > 0)
            return firstPassSeconds_ * (1 - last_.done);
        return std::nullopt;
    }
    const double passLength = (workStart_ - passStart_) + worked / doneSince;
    return worked / doneSince * (1 - last_.done) + passLength * (last_.passes - last_.pass);
}

QString MinutesAndSeconds(double seconds)
{
    const int whole = int(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}
