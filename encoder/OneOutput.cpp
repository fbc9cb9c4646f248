#include "encoder/OneOutput.h"

#include "encoder/OutputChecks.h"
#include "encoder/check/Comparison.h"
#include "encoder/check/ReadBack.h"
#include "encoder/common/StopSignals.h"
#include "encoder/write/AsfWriter.h"
#include "encoder/write/PendingOutput.h"

#include <new>

FileOutcome ReportFailure(ConsoleReporter &console, const QString &output)
{
    try {
        throw;
    } catch (const WriteFailure &failure) {
        console.failure(QStringLiteral("Cannot write %1: %2").arg(output, failure.message()));
    } catch (const Failure &failure) {
        console.failure(failure.message());
    } catch (const std::bad_alloc &) {
        console.failure(QStringLiteral("Out of memory."));
    } catch (const std::exception &error) {
        console.failure(QStringLiteral("The encode failed: %1").arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        console.failure(QStringLiteral("The encode failed."));
    }
    return FileOutcome::Failed;
}

FileOutcome EncodeOutput(const SourceFacts &source, const EncodePlan &plan, const QString &output, ConsoleReporter &console,
                         CoreShare share, const QSet<QString> &reserved)
{
    try {
        CheckOutputFolder(output);
        PendingOutput pending(output);
        for (const QString &name : pending.removedLeftovers())
            console.note(QStringLiteral("%1, left half-written by an earlier run that did not finish, is removed.").arg(name));
        const EncodeResult result = EncodeFile(source, plan, pending.temporaryPath(), console, share);
        const WrittenFile written = ReadBack(pending.temporaryPath());
        const QStringList differences = CompareWithPlan(plan, written, result.length, result.rate);
        QString placed = output;
        if (differences.isEmpty())
            pending.commit();
        else
            placed = pending.commitBeside(DiffersMarker, reserved);
        console.written(placed, written);
        for (const QString &note : RateNotes(plan, written))
            console.note(note);
        console.differences(differences);
        if (placed != output)
            console.keptOlder(output, placed);
        return differences.isEmpty() ? FileOutcome::Encoded : FileOutcome::Differs;
    } catch (const Stopped &) {
        return FileOutcome::Stopped;
    } catch (...) {
        return ReportFailure(console, output);
    }
}
