#include "encoder/FolderRun.h"

#include "encoder/OneOutput.h"
#include "encoder/asked/ExitCodes.h"
#include "encoder/asked/Jobs.h"
#include "encoder/common/StopSignals.h"
#include "encoder/folder/FolderFiles.h"
#include "encoder/folder/OutputClaims.h"
#include "encoder/folder/SideBySide.h"
#include "platform/NativeFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <filesystem>
#include <unordered_map>
#include <sys/stat.h>

namespace {

// For a source folder the output is a folder; a name that does not exist yet and ends like a Windows
// Media file was meant for a file source, and would otherwise become a folder of that name.
void checkFolderOutput(const Settings &settings)
{
    const QString &output = settings.output;
    const FileKind kind = KindOf(output);
    if (kind == FileKind::Regular || kind == FileKind::Special)
        throw Failure(QStringLiteral("-output \"%1\" is a file; for a source folder, name the output folder.").arg(output));
    if (kind == FileKind::Missing && HasAsfExtension(output))
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
    std::unordered_map<FileIdentity, QString, FileIdentityHash> sources; // each source file's name
    OutputClaims claims;
    QSet<QString> outputNames; // every name a file of the folder may be written under
};

// The name of the file of the source folder that output would write over, if any.
QString sourceUnder(const FolderRun &run, const QString &output)
{
    const std::optional<FileIdentity> identity = IdentityOf(output);
    const auto source = identity ? run.sources.find(*identity) : run.sources.end();
    return source != run.sources.end() ? source->second : QString();
}

bool claimOutput(FolderRun &run, size_t index, const QString &file, const QString &output, ConsoleReporter &console)
{
    const QString name = QFileInfo(file).fileName();
    return run.claims.claim(index, output, [&](const QSet<QString> &earlierOutputs) {
        if (const QString spared = sourceUnder(run, output); !spared.isEmpty()) {
            console.failure(QStringLiteral("%1 is left alone: its output %2 would write over %3, a file of the source folder.")
                                .arg(name, output, spared));
            return false;
        }
        if (earlierOutputs.contains(output))
            throw Failure(QStringLiteral("%1 would write %2 again, the output of an earlier file of the same name.").arg(name, output));
        RefuseSpecialOutput(output);
        return true;
    });
}

// A file of the folder, ready to encode: its facts, its plan and the output it claimed; or, where it
// is not to be encoded, what became of it.
struct FolderFile {
    SourceFacts source;
    EncodePlan plan;
    QString output;
    std::optional<FileOutcome> outcome;
};

// Probes the file of a folder source numbered index, plans it and claims its output, or only reports
// on it when no output folder was given. An output that an earlier run left whole as this one would
// make it is already done, or differs as before.
FolderFile prepareFolderFile(FolderRun &run, size_t index, const QString &file, ConsoleReporter &console)
{
    ForgetLibavComplaint();
    const Settings &settings = run.settings;
    FolderFile prepared;
    try {
        prepared.source = ProbeSource(file);
        console.source(prepared.source);
        if (settings.output.isEmpty()) {
            prepared.outcome = FileOutcome::Reported;
            return prepared;
        }
        prepared.plan = PlanEncode(settings, prepared.source);
        prepared.output = BatchOutputName(file, settings.output, settings.outputString, prepared.plan.video.has_value());
        if (!claimOutput(run, index, file, prepared.output, console)) {
            prepared.outcome = FileOutcome::Spared;
            return prepared;
        }
        const EarlierOutput earlier = FindEarlierOutput(prepared.plan, prepared.output, run.outputNames);
        if (!earlier.path.isEmpty()) {
            console.alreadyDone(earlier.path, earlier.differs);
            prepared.outcome = earlier.differs ? FileOutcome::Differs : FileOutcome::AlreadyDone;
            return prepared;
        }
        for (const QString &damaged : earlier.damaged)
            console.note(damaged);
    } catch (const NotMedia &) {
        prepared.outcome = FileOutcome::Skipped;
    } catch (const Stopped &) {
        prepared.outcome = FileOutcome::Stopped;
    } catch (...) {
        prepared.outcome = ReportFailure(console, prepared.output);
    }
    return prepared;
}

FileOutcome encodeFolderFile(FolderRun &run, size_t index, const QString &file, ConsoleReporter &console, CoreShare share)
{
    const FolderFile prepared = prepareFolderFile(run, index, file, console);
    if (prepared.outcome)
        return *prepared.outcome;
    console.plan(prepared.plan, prepared.output);
    return EncodeOutput(prepared.source, prepared.plan, prepared.output, console, share, run.outputNames);
}

// A word the shell reads as these bytes, whatever they are.
QByteArray shellWord(const QByteArray &bytes)
{
    return '\'' + QByteArray(bytes).replace('\'', "'\\''") + '\'';
}

// The command that encodes the prepared file alone as the folder run would: the utility, the file's
// source and output named in full, and every switch asked of each file, its value quoted as a
// configuration file quotes it.
QByteArray jobLine(const FolderFile &prepared, const Settings &settings)
{
    QByteArray line = shellWord(NativePath(QCoreApplication::applicationFilePath()));
    line += " -input " + shellWord(NativePath(QFileInfo(prepared.source.path).absoluteFilePath()));
    line += " -output " + shellWord(NativePath(QFileInfo(prepared.output).absoluteFilePath()));
    for (const Switch &item : settings.encodeSwitches)
        line += ' ' + item.name.toUtf8() + ' ' + shellWord(NativePath(u'"' + item.value + u'"'));
    return line;
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

// Notes the files of the source folder and every name they may be written under.
void listFiles(FolderRun &run, const QStringList &files)
{
    for (const QString &file : files) {
        if (const std::optional<FileIdentity> identity = IdentityOf(file))
            run.sources.emplace(*identity, QFileInfo(file).fileName());
        for (const bool picture : {true, false})
            run.outputNames.insert(BatchOutputName(file, run.settings.output, run.settings.outputString, picture));
    }
}

std::vector<qint64> sizesOf(const QStringList &files)
{
    std::vector<qint64> sizes;
    for (const QString &file : files)
        sizes.push_back(sizeOf(file));
    return sizes;
}

// What became of each file, encoded up to jobs at once.
std::vector<FileOutcome> encodeFiles(FolderRun &run, const QStringList &files, int jobs, Terminal &terminal, FolderProgress &progress)
{
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
    return outcomes;
}

// Tells the run's summary, of files encoded or, listing, of jobs listed, and returns its exit code.
int summarize(const Settings &settings, const QStringList &files, const std::vector<FileOutcome> &outcomes, ConsoleReporter &console,
              bool listing)
{
    FolderTally tally;
    for (size_t index = 0; index < outcomes.size(); ++index)
        tally.add(outcomes[index], QFileInfo(files[qsizetype(index)]).fileName());
    if (!tally.notDone.isEmpty())
        console.failure(Stopped().message());
    if (settings.output.isEmpty()) {
        console.skipped(tally.skipped);
        return tally.failed.isEmpty() && tally.notDone.isEmpty() ? ExitDone : ExitFailed;
    }
    console.batchSummary(tally, listing);
    if (tally.encoded.isEmpty() && tally.alreadyDone.isEmpty() && folderExitCode(tally) == ExitDone) {
        console.failure(QStringLiteral("-input \"%1\" holds no sound or video file to encode.").arg(settings.input));
        return ExitFailed;
    }
    return folderExitCode(tally);
}

} // namespace

int EncodeSourceFolder(const Settings &settings, Terminal &terminal, ConsoleReporter &console)
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
    listFiles(run, files);
    FolderProgress progress(terminal, sizesOf(files));
    return summarize(settings, files, encodeFiles(run, files, jobs, terminal, progress), console, false);
}

int ListFolderJobs(const Settings &settings, Terminal &terminal, ConsoleReporter &console)
{
    try {
        if (KindOf(settings.input) != FileKind::Folder || settings.output.isEmpty())
            throw Failure(QStringLiteral("%1 lists the jobs of a source folder: name the folder with -input and the output "
                                         "folder with -output.").arg(QLatin1String(ListJobsOption)));
        checkFolderOutput(settings);
        prepareOutputFolder(settings.output);
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    const QStringList files = FilesIn(settings.input);
    FolderRun run{settings, {}, OutputClaims(size_t(files.size())), {}};
    listFiles(run, files);
    std::vector<FileOutcome> outcomes;
    for (size_t index = 0; index < size_t(files.size()) && !StopRequested(); ++index) {
        const FolderFile prepared = prepareFolderFile(run, index, files[qsizetype(index)], console);
        run.claims.settle(index);
        if (!prepared.outcome)
            terminal.data(jobLine(prepared, settings));
        outcomes.push_back(prepared.outcome.value_or(FileOutcome::Encoded));
    }
    outcomes.resize(size_t(files.size()), FileOutcome::Stopped);
    return summarize(settings, files, outcomes, console, true);
}
