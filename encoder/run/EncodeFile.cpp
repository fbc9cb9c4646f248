#include "encoder/run/EncodeFile.h"

#include "encoder/check/Comparison.h"
#include "encoder/plan/PassPlan.h"
#include "encoder/run/PiecesPass.h"
#include "encoder/run/WholePass.h"

#include <cmath>

namespace {

PassResult runPass(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer, CoreShare share)
{
    return pass.inPieces ? RunInPieces(source, pass, path, observer, share) : RunWhole(source, pass, path, observer, share);
}

// A container's length is an estimate: a cut-off download or a damaged index holds less than it
// announces, and some streams hold more. The output is checked against what the source gave.
RateRecord keepToWhatWasRead(EncodePlan &plan, const SourceFacts &source, const PassResult &pass, EncodeObserver &observer)
{
    const double encoded = pass.encoded;
    if (encoded <= 0)
        throw Failure(QStringLiteral("Nothing of %1 could be decoded: the file is damaged, or not what its header says.").arg(source.path));
    // A section that came out longer than asked is the encode's own fault, for the check to find.
    const bool longerThanSection = plan.end && encoded > plan.duration;
    if (longerThanSection || std::abs(encoded - plan.duration) <= DurationTolerance(plan))
        return pass.rate;
    if (plan.duration > 0)
        observer.note(QStringLiteral("The source gave %1 s, not the %2 s its container announced; the output is "
                                     "checked against what could be read.")
                          .arg(QString::number(encoded, 'f', 3), QString::number(plan.duration, 'f', 3)));
    plan.duration = encoded;
    return pass.rate;
}

} // namespace

RateRecord EncodeFile(const SourceFacts &source, EncodePlan &plan, const QString &path, EncodeObserver &observer, CoreShare share)
{
    const PassPlan first = PlanPass(plan, share.alone ? share.pieces : 1);
    if (first.pass == Pass::Only)
        return keepToWhatWasRead(plan, source, runPass(source, first, path, observer, share), observer);
    // The plan keeps the rate asked for, which the file is checked against.
    const PassPlan second = PlanSecondPass(first, runPass(source, first, path, observer, share).statistics);
    if (second.raisedBitRate)
        observer.note(QStringLiteral("Two passes cannot fit this picture into %1 bit/s, even at the coarsest quantiser; "
                                     "it is encoded at %2 bit/s, the lowest rate that holds it.")
                          .arg(plan.video->bitRate).arg(*second.raisedBitRate));
    RateRecord rate = keepToWhatWasRead(plan, source, runPass(source, second, path, observer, share), observer);
    rate.raisedBitRate = second.raisedBitRate;
    return rate;
}
