#include "encoder/Utility.h"

#include "encoder/Batch.h"
#include "encoder/EncodePipeline.h"
#include "encoder/PendingOutput.h"
#include "encoder/SwitchCollector.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <optional>

namespace {

bool sameFile(const QString &one, const QString &other)
{
    const QString canonical = QFileInfo(one).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath();
}

// The file is ASF whatever its name. A name that says otherwise is kept, as the user chose it, but
// players that go by the name may take the file for what it is not.
std::optional<QString> containerNameNote(const QString &output)
{
    const QString extension = QFileInfo(output).suffix();
    for (const char *asf : {"wmv", "wma", "asf"})
        if (extension.compare(QLatin1String(asf), Qt::CaseInsensitive) == 0)
            return std::nullopt;
    const QString named = extension.isEmpty() ? QStringLiteral("has no extension") : QStringLiteral("ends in .%1").arg(extension);
    return QStringLiteral("-output \"%1\" %2, but the file is an ASF (Windows Media) file whatever its name; players "
                          "that go by the name may refuse it, where .wmv or .wma would not.").arg(output, named);
}

// Writes one output, reads it back and compares it with the plan.
int encodeOne(const SourceFacts &source, EncodePlan plan, const QString &output, ConsoleReporter &console)
{
    try {
        PendingOutput pending(output);
        EncodeFile(source, plan, pending.temporaryPath(), console);
        const WrittenFile written = ReadBack(pending.temporaryPath());
        pending.commit();
        console.written(output, written);
        const QStringList differences = CompareWithPlan(plan, written);
        console.differences(differences);
        return differences.isEmpty() ? ExitDone : ExitDiffers;
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitFailed;
    }
}

int encodeSourceFile(const Settings &settings, ConsoleReporter &console)
{
    SourceFacts source;
    EncodePlan plan;
    try {
        source = ProbeSource(settings.input);
        console.source(source);
        if (settings.output.isEmpty())
            return ExitDone;
        if (sameFile(settings.input, settings.output))
            throw Failure(QStringLiteral("-output \"%1\" is the source itself; name another file.").arg(settings.output));
        if (QFileInfo(settings.output).isDir())
            throw Failure(QStringLiteral("-output \"%1\" is a folder; for a source file, name the output file.").arg(settings.output));
        plan = PlanEncode(settings, source);
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    if (!settings.outputString.isEmpty())
        plan.notes += QStringLiteral("-outputstring is left aside: it names the files of a folder source only.");
    if (const auto note = containerNameNote(settings.output))
        plan.notes += *note;
    console.plan(plan, settings.output);
    return encodeOne(source, plan, settings.output, console);
}

void prepareOutputFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        throw Failure(QStringLiteral("-output \"%1\" is a file; for a source folder, name the output folder.").arg(folder));
    if (!QDir().mkpath(folder))
        throw Failure(QStringLiteral("-output \"%1\": the folder cannot be created.").arg(folder));
}

// What became of the files of a folder source.
struct FolderTally {
    int encoded = 0;
    QStringList failed;
    QStringList skipped;
    QStringList differing;
    QSet<QString> outputs;
};

// Encodes one file of a folder source, or only reports on it when no output folder was given.
void encodeFolderFile(const Settings &settings, const QString &file, FolderTally &tally, ConsoleReporter &console)
{
    const QString name = QFileInfo(file).fileName();
    SourceFacts source;
    EncodePlan plan;
    QString output;
    try {
        source = ProbeSource(file);
        console.source(source);
        if (settings.output.isEmpty())
            return;
        plan = PlanEncode(settings, source);
        output = BatchOutputName(file, settings.output, settings.outputString, plan.video.has_value());
        if (tally.outputs.contains(output))
            throw Failure(QStringLiteral("%1 would write %2 again, the output of an earlier file of the same name.").arg(name, output));
        if (sameFile(file, output))
            throw Failure(QStringLiteral("%1 would be written over itself.").arg(name));
    } catch (const NotMedia &) {
        tally.skipped += name;
        return;
    } catch (const Failure &failure) {
        console.failure(failure.message());
        tally.failed += name;
        return;
    }
    tally.outputs.insert(output);
    console.plan(plan, output);
    const int result = encodeOne(source, plan, output, console);
    if (result == ExitDone)
        ++tally.encoded;
    else
        (result == ExitDiffers ? tally.differing : tally.failed) += name;
}

// Encodes every sound or video file directly in the source folder; one that fails is reported and
// the others go on.
int encodeSourceFolder(const Settings &settings, ConsoleReporter &console)
{
    try {
        if (!settings.output.isEmpty())
            prepareOutputFolder(settings.output);
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    FolderTally tally;
    for (const QString &file : FilesIn(settings.input))
        encodeFolderFile(settings, file, tally, console);
    if (settings.output.isEmpty()) {
        console.skipped(tally.skipped);
        return tally.failed.isEmpty() ? ExitDone : ExitFailed;
    }
    console.batchSummary(tally.encoded, tally.failed, tally.skipped, tally.differing);
    if (!tally.failed.isEmpty())
        return ExitFailed;
    if (!tally.differing.isEmpty())
        return ExitDiffers;
    if (tally.encoded == 0) {
        console.failure(QStringLiteral("-input \"%1\" holds no sound or video file to encode.").arg(settings.input));
        return ExitFailed;
    }
    return ExitDone;
}

} // namespace

int RunUtility(const QStringList &arguments, ConsoleReporter &console)
{
    if (arguments.isEmpty()) {
        console.usage();
        return ExitUsage;
    }
    Settings settings;
    try {
        settings = ParseSettings(CollectSwitches(arguments));
        if (!QFileInfo::exists(settings.input))
            throw Failure(QStringLiteral("-input \"%1\": there is no such file or folder.").arg(settings.input));
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    return QFileInfo(settings.input).isDir() ? encodeSourceFolder(settings, console) : encodeSourceFile(settings, console);
}
