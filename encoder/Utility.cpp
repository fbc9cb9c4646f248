#include "encoder/Utility.h"

#include "encoder/write/AsfWriter.h"
#include "encoder/folder/Batch.h"
#include "encoder/console/ConsoleReporter.h"
#include "encoder/run/EncodeFile.h"
#include "encoder/write/PendingOutput.h"
#include "encoder/asked/Jobs.h"
#include "encoder/folder/SideBySide.h"
#include "encoder/common/StopSignals.h"
#include "encoder/asked/SwitchCollector.h"
#include "platform/NativeFiles.h"

#include <QFileInfo>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace {

bool sameFile(const QString &one, const QString &other)
{
    const std::optional<FileIdentity> identity = IdentityOf(one);
    return identity && identity == IdentityOf(other);
}

// Whether a name ends like a Windows Media file, in any letter case.
bool hasAsfExtension(const QString &name)
{
    const QString extension = QFileInfo(name).suffix();
    for (const char *asf : {"wmv", "wma", "asf"})
        if (extension.compare(QLatin1String(asf), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The file is ASF whatever its name. A name that says otherwise is kept, as the user chose it, but
// players that go by the name may take the file for what it is not.
std::optional<QString> containerNameNote(const QString &output)
{
    if (hasAsfExtension(output))
        return std::nullopt;
    const QString extension = QFileInfo(output).suffix();
    const QString named = extension.isEmpty() ? QStringLiteral("has no extension") : QStringLiteral("ends in .%1").arg(extension);
    return QStringLiteral("-output \"%1\" %2, but the file is an ASF (Windows Media) file whatever its name; players "
                          "that go by the name may refuse it, where .wmv or .wma would not.").arg(output, named);
}

int exitCodeOf(FileOutcome outcome)
{
    switch (outcome) {
    case FileOutcome::Encoded:
    case FileOutcome::Reported: return ExitDone;
    case FileOutcome::Differs: return ExitDiffers;
    default: return ExitFailed;
    }
}

// An output name that no file may be written under: a named pipe or a device would be replaced by
// the file, a folder cannot be.
void refuseSpecialOutput(const QString &output)
{
    if (const QString kind = SpecialFileKind(output); !kind.isEmpty())
        throw Failure(QStringLiteral("-output \"%1\" is %2; name a file to write.").arg(output, kind));
}

// Reports the failure being handled, of the file written to output: the utility's own as they say,
// any other (memory running out, say) as what it is. Called from a catch block.
FileOutcome reportFailure(ConsoleReporter &console, const QString &output)
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

// Writes one output, reads it back and compares it with the plan, and only then gives it its name.
// A file worse than asked never takes the place of an older one, nor the name of another output of
// the run (reserved). A stop is left for the caller to report: a folder run reports it once for all
// its files.
FileOutcome encodeOne(const SourceFacts &source, EncodePlan plan, const QString &output, ConsoleReporter &console,
                      CoreShare share, const QSet<QString> &reserved = {})
{
    try {
        PendingOutput pending(output);
        for (const QString &name : pending.removedLeftovers())
            console.note(QStringLiteral("%1, left half-written by an earlier run that did not finish, is removed.").arg(name));
        const RateRecord rate = EncodeFile(source, plan, pending.temporaryPath(), console, share);
        const WrittenFile written = ReadBack(pending.temporaryPath());
        const QStringList differences = CompareWithPlan(plan, written, rate);
        QString placed = output;
        if (differences.isEmpty())
            pending.commit();
        else
            placed = pending.commitBeside(QStringLiteral("differs"), reserved);
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
        return reportFailure(console, output);
    }
}

void checkFileOutput(const Settings &settings)
{
    const QString &output = settings.output;
    if (sameFile(settings.input, output))
        throw Failure(QStringLiteral("-output \"%1\" is the source itself; name another file.").arg(output));
    if (KindOf(output) == FileKind::Folder)
        throw Failure(QStringLiteral("-output \"%1\" is a folder; for a source file, name the output file.").arg(output));
    refuseSpecialOutput(output);
    CheckOutputFolder(output);
}

int encodeSourceFile(const Settings &settings, ConsoleReporter &console)
{
    SourceFacts source;
    EncodePlan plan;
    int pieces = 1;
    try {
        source = ProbeSource(settings.input);
        console.source(source);
        if (settings.output.isEmpty())
            return ExitDone;
        checkFileOutput(settings);
        plan = PlanEncode(settings, source);
        pieces = JobsAtOnce();
    } catch (const Stopped &stopped) {
        console.failure(stopped.message());
        return ExitFailed;
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    if (!settings.outputString.isEmpty())
        plan.notes += QStringLiteral("-outputstring is left aside: it names the files of a folder source only.");
    if (const auto note = containerNameNote(settings.output))
        plan.notes += *note;
    console.plan(plan, settings.output);
    const FileOutcome outcome = encodeOne(source, plan, settings.output, console, CoreShare{true, pieces});
    if (outcome == FileOutcome::Stopped)
        console.failure(Stopped().message());
    return exitCodeOf(outcome);
}

// For a source folder the output is a folder; a name that does not exist yet and ends like a Windows
// Media file was meant for a file source, and would otherwise become a folder of that name.
void checkFolderOutput(const Settings &settings)
{
    const QString &output = settings.output;
    const FileKind kind = KindOf(output);
    if (kind == FileKind::Regular || kind == FileKind::Special)
        throw Failure(QStringLiteral("-output \"%1\" is a file; for a source folder, name the output folder.").arg(output));
    if (kind == FileKind::Missing && hasAsfExtension(output))
        throw Failure(QStringLiteral("-output \"%1\" names a file, but -input \"%2\" is a folder, whose files are encoded "
                                     "into an output folder; name a folder for -output.").arg(output, settings.input));
}

void prepareOutputFolder(const QString &folder)
{
    std::error_code error;
    std::filesystem::create_directories(NativePath(folder).toStdString(), error);
    if (error || KindOf(folder) != FileKind::Folder)
        throw Failure(QStringLiteral("-output \"%1\": the folder cannot be created: %2.")
                          .arg(folder, QString::fromStdString(error.message())));
}

// A folder run: its settings, the files of the source folder it read, and the outputs its files claim.
struct FolderRun {
    const Settings &settings;
    std::vector<std::pair<FileIdentity, QString>> sources; // each source file and its name
    OutputClaims claims;
    QSet<QString> outputNames; // every name a file of the folder may be written under
};

// The name of the file of the source folder that output would write over, if any.
QString sourceUnder(const FolderRun &run, const QString &output)
{
    const std::optional<FileIdentity> identity = IdentityOf(output);
    for (const auto &[source, name] : run.sources)
        if (identity == source)
            return name;
    return {};
}

// Encodes the file of a folder source numbered index, or only reports on it when no output folder
// was given.
FileOutcome encodeFolderFile(FolderRun &run, size_t index, const QString &file, ConsoleReporter &console, CoreShare share)
{
    ForgetLibavComplaint();
    const Settings &settings = run.settings;
    const QString name = QFileInfo(file).fileName();
    SourceFacts source;
    EncodePlan plan;
    QString output;
    try {
        source = ProbeSource(file);
        console.source(source);
        if (settings.output.isEmpty())
            return FileOutcome::Reported;
        plan = PlanEncode(settings, source);
        output = BatchOutputName(file, settings.output, settings.outputString, plan.video.has_value());
        const bool claimed = run.claims.claim(index, output, [&](const QSet<QString> &earlierOutputs) {
            if (const QString spared = sourceUnder(run, output); !spared.isEmpty()) {
                console.failure(QStringLiteral("%1 is left alone: its output %2 would write over %3, a file of the source folder.")
                                    .arg(name, output, spared));
                return false;
            }
            if (earlierOutputs.contains(output))
                throw Failure(QStringLiteral("%1 would write %2 again, the output of an earlier file of the same name.").arg(name, output));
            refuseSpecialOutput(output);
            return true;
        });
        if (!claimed)
            return FileOutcome::Spared;
    } catch (const NotMedia &) {
        return FileOutcome::Skipped;
    } catch (const Stopped &) {
        return FileOutcome::Stopped;
    } catch (...) {
        return reportFailure(console, output);
    }
    console.plan(plan, output);
    return encodeOne(source, plan, output, console, share, run.outputNames);
}

qint64 sizeOf(const QString &file)
{
    struct stat status{};
    return stat(NativePath(file).constData(), &status) == 0 ? qint64(status.st_size) : 0;
}

int folderExitCode(const FolderTally &tally)
{
    if (!tally.failed.isEmpty() || !tally.spared.isEmpty() || !tally.notDone.isEmpty())
        return ExitFailed;
    return tally.differing.isEmpty() ? ExitDone : ExitDiffers;
}

// Encodes every sound or video file directly in the source folder, as many at once as JobsAtOnce
// says; one that fails is reported and the others go on. Each file's lines are shown together, and
// every file's result is what it would have been with the files encoded one after another. A stop
// ends the whole run at once.
int encodeSourceFolder(const Settings &settings, Terminal &terminal, ConsoleReporter &console)
{
    const QStringList files = FilesIn(settings.input);
    int jobs = 1;
    try {
        jobs = JobsAtOnce();
        if (!settings.output.isEmpty()) {
            checkFolderOutput(settings);
            prepareOutputFolder(settings.output);
        }
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    FolderRun run{settings, {}, OutputClaims(size_t(files.size())), {}};
    std::vector<qint64> sizes;
    for (const QString &file : files) {
        if (const std::optional<FileIdentity> identity = IdentityOf(file))
            run.sources.emplace_back(*identity, QFileInfo(file).fileName());
        sizes.push_back(sizeOf(file));
        for (const bool picture : {true, false})
            run.outputNames.insert(BatchOutputName(file, settings.output, settings.outputString, picture));
    }
    FolderProgress progress(terminal, std::move(sizes));
    // Not started: a stop came first.
    std::vector<FileOutcome> outcomes(size_t(files.size()), FileOutcome::Stopped);
    // Files side by side keep the cores busy; one file at a time spreads over them.
    const CoreShare share = std::min(qsizetype(jobs), files.size()) > 1 ? CoreShare{false, 1} : CoreShare{true, jobs};
    ForEachSideBySide(outcomes.size(), jobs, [&](size_t index) {
        // Nothing may leave a thread of its own: a failure showing this file's lines fails the file.
        try {
            if (!StopRequested()) {
                ConsoleReporter fileConsole(terminal, progress, index, jobs > 1);
                outcomes[index] = encodeFolderFile(run, index, files[qsizetype(index)], fileConsole, share);
                fileConsole.release();
                if (outcomes[index] != FileOutcome::Stopped)
                    progress.finished(index);
            }
        } catch (...) {
            outcomes[index] = FileOutcome::Failed;
        }
        run.claims.settle(index);
    });
    FolderTally tally;
    for (size_t index = 0; index < outcomes.size(); ++index)
        tally.add(outcomes[index], QFileInfo(files[qsizetype(index)]).fileName());
    if (!tally.notDone.isEmpty())
        console.failure(Stopped().message());
    if (settings.output.isEmpty()) {
        console.skipped(tally.skipped);
        return tally.failed.isEmpty() && tally.notDone.isEmpty() ? ExitDone : ExitFailed;
    }
    console.batchSummary(tally);
    if (tally.encoded.isEmpty() && folderExitCode(tally) == ExitDone) {
        console.failure(QStringLiteral("-input \"%1\" holds no sound or video file to encode.").arg(settings.input));
        return ExitFailed;
    }
    return folderExitCode(tally);
}

} // namespace

int RunUtility(const QStringList &arguments, Terminal &terminal)
{
    ConsoleReporter console(terminal);
    if (arguments.isEmpty()) {
        console.usage();
        return ExitUsage;
    }
    Settings settings;
    try {
        settings = ParseSettings(CollectSwitches(arguments));
        if (KindOf(settings.input) == FileKind::Missing)
            throw Failure(QStringLiteral("-input \"%1\": there is no such file or folder.").arg(settings.input));
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    return KindOf(settings.input) == FileKind::Folder ? encodeSourceFolder(settings, terminal, console) : encodeSourceFile(settings, console);
}
