#include "encoder/run/EncodeFile.h"

#include "encoder/plan/PassPlan.h"
#include "encoder/run/Pass.h"

namespace {

// What the pass gave, with the output's length as the source gave it.
EncodeResult resultOf(const EncodePlan &plan, const SourceFacts &source, const PassResult &pass, EncodeObserver &observer)
{
    if (pass.encoded <= 0)
        throw Failure(QStringLiteral("Nothing of %1 could be decoded: the file is damaged, or not what its header says.").arg(source.path));
    const double length = LengthToExpect(plan, pass.encoded);
    if (length != plan.duration && plan.duration > 0)
        observer.note(QStringLiteral("The source gave %1 s, not the %2 s its container announced; the output is "
                                     "checked against what could be read.")
                          .arg(QString::number(length, 'f', 3), QString::number(plan.duration, 'f', 3)));
    return {pass.rate, length};
}

// Runs the pass into its own file, which is finished, or removed, before the next pass is planned.
PassResult runPassIntoFile(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                           CoreShare share)
{
    WriteStage file(path, pass);
    return RunPass(source, pass, file, observer, share);
}

} // namespace

EncodeResult EncodeFile(const SourceFacts &source, const EncodePlan &plan, const QString &path, EncodeObserver &observer,
                        CoreShare share)
{
    // The plan keeps the rate asked for, which the file is checked against.
    PassPlan pass = PlanPass(plan, share.alone ? share.pieces : 1);
    for (;;) {
        const PassResult result = runPassIntoFile(source, pass, path, observer, share);
        if (JointLeftOutTooMuch(result)) {
            observer.note(QStringLiteral("To hold the rate, a joint between the pieces the picture was encoded in would have left "
                                         "out %1 s of it; the picture is encoded again in one piece, which spreads the frames "
                                         "it drops.").arg(QString::number(result.leftOutAtAJoint, 'f', 1)));
            pass = PlanPass(plan, 1);
            continue;
        }
        if (pass.pass != Pass::First) {
            EncodeResult encoded = resultOf(plan, source, result, observer);
            encoded.rate.raisedBitRate = pass.raisedBitRate;
            return encoded;
        }
        pass = PlanSecondPass(pass, result.statistics);
        if (pass.raisedBitRate)
            observer.note(QStringLiteral("Two passes cannot fit this picture into %1 bit/s, even at the coarsest quantiser; "
                                         "it is encoded at %2 bit/s, the lowest rate that holds it.")
                              .arg(plan.picture->bitRate).arg(*pass.raisedBitRate));
    }
}
