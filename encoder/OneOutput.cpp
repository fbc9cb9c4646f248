#include "encoder/OneOutput.h"

#include "encoder/check/Comparison.h"
#include "encoder/check/Damage.h"
#include "encoder/check/ReadBack.h"
#include "encoder/common/StopSignals.h"
#include "encoder/write/AsfWriter.h"
#include "encoder/write/PendingOutput.h"
#include "platform/NativeFiles.h"

#include <QFileInfo>
#include <new>

namespace {

// What marks the name of an output that differs from what was asked, written beside an older file.
const QString DiffersMarker = QStringLiteral("differs");

// How the file under name differs from the plan where an earlier run wrote it from the same source
// with the same settings; nothing where it holds anything else. Tells why where it is damaged.
std::optional<QStringList> earlierDifferences(const EncodePlan &plan, const QString &name, QStringList &damaged)
{
    if (KindOf(name) != FileKind::Regular)
        return std::nullopt;
    try {
        const std::optional<QStringList> differences = DifferencesOfEarlier(plan, ReadBack(name));
        if (!differences)
            return std::nullopt;
        if (const std::optional<QString> damage = DamageIn(name)) {
            damaged += QStringLiteral("%1 was written earlier from the same source with the same settings, but %2. It is encoded "
                                      "again.").arg(QFileInfo(name).fileName(), *damage);
            return std::nullopt;
        }
        return differences;
    } catch (const Stopped &) {
        throw;
    } catch (const Failure &) {
        return std::nullopt;
    }
}

} // namespace

bool HasAsfExtension(const QString &name)
{
    const QString extension = QFileInfo(name).suffix();
    for (const char *asf : {"wmv", "wma", "asf"})
        if (extension.compare(QLatin1String(asf), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void RefuseSpecialOutput(const QString &output)
{
    if (const QString kind = SpecialFileKind(output); !kind.isEmpty())
        throw Failure(QStringLiteral("-output \"%1\" is %2; name a file to write.").arg(output, kind));
}

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

EarlierOutput FindEarlierOutput(const EncodePlan &plan, const QString &output, const QSet<QString> &reserved)
{
    EarlierOutput earlier;
    for (int number = 0;; ++number) {
        const QString name = number == 0 ? output : BesideName(output, DiffersMarker, number);
        if (number > 0 && reserved.contains(name))
            continue;
        // The name the run would write under: no earlier output lies beyond it.
        if (KindOf(name) == FileKind::Missing)
            return earlier;
        const std::optional<QStringList> differences = earlierDifferences(plan, name, earlier.damaged);
        // A differing output took the output's own name where it was free; one beside it that is as
        // asked was not named by such a run.
        if (differences && (number == 0 || !differences->isEmpty())) {
            earlier.path = name;
            earlier.differs = !differences->isEmpty();
            return earlier;
        }
    }
}

FileOutcome EncodeOutput(const SourceFacts &source, const EncodePlan &plan, const QString &output, ConsoleReporter &console,
                         CoreShare share, const QSet<QString> &reserved)
{
    try {
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
