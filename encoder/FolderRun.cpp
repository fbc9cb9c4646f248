#include "encoder/FolderRun.h"

#include "encoder/OneOutput.h"
#include "encoder/OutputChecks.h"
#include "encoder/asked/ExitCodes.h"
#include "encoder/asked/JobLine.h"
#include "encoder/asked/Jobs.h"
#include "encoder/common/StopSignals.h"
#include "encoder/folder/FolderFiles.h"
#include "encoder/folder/OutputClaims.h"
#include "encoder/folder/SideBySide.h"
#include "platform/NativeFiles.h"

#include <QFileInfo>
#include <algorithm>
#include <malloc.h>
#include <unordered_map>
#include <sys/stat.h>

namespace {

// The names a file of the folder may be written under: with a picture, and with sound alone.
QSet<QString> possibleOutputs(const Settings &settings, const QString &file)
{
    return {BatchOutputName(file, settings.output, settings.outputString, true),
            BatchOutputName(file, settings.output, settings.outputString, false)};
}

// The files of the source folder but the outputs an earlier run wrote into it from other files of
// it, where the output folder is the source folder: encoded again they would pile up outputs of
// outputs, and as files of the source folder they would be spared, so that the run could never say
// its files are done.
QStringList withoutOwnOutputs(const QStringList &files, const Settings &settings)
{
    if (settings.output.isEmpty())
        return files;
    std::vector<std::optional<FileIdentity>> identities;
    for (const QString &file : files)
        identities.push_back(IdentityOf(file));
    std::unordered_multimap<FileIdentity, QString, FileIdentityHash> madeFrom; // each output there is, and its source
    for (qsizetype index = 0; index < files.size(); ++index)
        for (const QString &output : possibleOutputs(settings, files[index]))
            if (const std::optional<FileIdentity> identity = IdentityOf(output); identity && identity != identities[size_t(index)])
                madeFrom.emplace(*identity, files[index]);
    QStringList sources;
    for (qsizetype index = 0; index < files.size(); ++index) {
        const QString &file = files[index];
        const std::optional<FileIdentity> &identity = identities[size_t(index)];
        const auto [first, last] = identity ? madeFrom.equal_range(*identity) : std::pair(madeFrom.end(), madeFrom.end());
        if (std::none_of(first, last, [&](const auto &made) { return IsOutputOf(file, made.second); }))
            sources += file;
    }
    return sources;
}

// A folder run: its settings, the files of the source folder it read, and the outputs its files claim.
struct FolderRun {
    FolderRun(const Settings &asked, const QStringList &files) : settings(asked), claims(size_t(files.size()))
    {
        for (const QString &file : files) {
            if (const std::optional<FileIdentity> identity = IdentityOf(file))
                sources.emplace(*identity, QFileInfo(file).fileName());
            outputNames.unite(possibleOutputs(settings, file));
        }
    }

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
        prepared.output = BatchOutputName(file, settings.output, settings.outputString, prepared.plan.picture.has_value());
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

qint64 sizeOf(const QString &file)
{
    struct stat status{};
    return stat(NativePath(file).constData(), &status) == 0 ? qint64(status.st_size) : 0;
}

// Gives the memory freed by a file's encode back to the system. Each thread allocates from an arena
// of its own, and what an arena keeps once freed depends on how the threads' work fell together, so
// that without this one run of a large folder in several ended with five times the peak of another.
void returnFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// Files side by side keep the cores busy; one file at a time spreads over them.
CoreShare coreShare(int jobs, qsizetype files)
{
    return std::min(qsizetype(jobs), files) > 1 ? CoreShare{false, 1} : CoreShare{true, jobs};
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
    const CoreShare share = coreShare(jobs, files.size());
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
        returnFreedMemory();
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
    if (tally.encoded.isEmpty() && tally.alreadyDone.isEmpty() && tally.exitCode() == ExitDone) {
        console.failure(QStringLiteral("-input \"%1\" holds no sound or video file to encode.").arg(settings.input));
        return ExitFailed;
    }
    return tally.exitCode();
}

// The folder run for the file of the folder named name alone, as the job listed for it runs it, with
// the folder's share of the cores: the earlier files that may claim its output settle their claims
// first, unseen, as they do in the folder run.
int encodeListedFile(FolderRun &run, const QStringList &files, const QString &name, int jobs, Terminal &terminal,
                     ConsoleReporter &console)
{
    const auto found = std::find_if(files.begin(), files.end(), [&](const QString &file) { return QFileInfo(file).fileName() == name; });
    if (found == files.end()) {
        console.failure(QStringLiteral("-input \"%1\" holds no file \"%2\".").arg(run.settings.input, name));
        return ExitRefused;
    }
    const QString &file = *found;
    const auto index = size_t(found - files.begin());
    FolderProgress progress(terminal, {sizeOf(file)});
    const QSet<QString> outputs = possibleOutputs(run.settings, file);
    for (size_t earlier = 0; earlier < index; ++earlier) {
        if (possibleOutputs(run.settings, files[qsizetype(earlier)]).intersects(outputs)) {
            ConsoleReporter unseen(terminal, progress, 0, true);
            prepareFolderFile(run, earlier, files[qsizetype(earlier)], unseen);
        }
        run.claims.settle(earlier);
    }
    ConsoleReporter fileConsole(terminal, progress, 0, false);
    const FileOutcome outcome = encodeFolderFile(run, index, file, fileConsole, coreShare(jobs, files.size()));
    return summarize(run.settings, {file}, {outcome}, console, false);
}

} // namespace

int EncodeSourceFolder(const Settings &settings, Terminal &terminal, ConsoleReporter &console, const std::optional<QString> &only)
{
    const QStringList files = withoutOwnOutputs(FilesIn(settings.input), settings);
    int jobs = 1;
    try {
        jobs = JobsAtOnce();
        if (!settings.output.isEmpty()) {
            PrepareFolderOutput(settings);
        }
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    FolderRun run(settings, files);
    if (only)
        return encodeListedFile(run, files, *only, jobs, terminal, console);
    FolderProgress progress(terminal, sizesOf(files));
    return summarize(settings, files, encodeFiles(run, files, jobs, terminal, progress), console, false);
}

int ListFolderJobs(const Settings &settings, Terminal &terminal, ConsoleReporter &console)
{
    QByteArray program;
    try {
        program = JobProgramWord();
        if (KindOf(settings.input) != FileKind::Folder || settings.output.isEmpty())
            throw Failure(QStringLiteral("%1 lists the jobs of a source folder: name the folder with -input and the output "
                                         "folder with -output.").arg(QLatin1String(ListJobsOption)));
        PrepareFolderOutput(settings);
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    const QStringList files = withoutOwnOutputs(FilesIn(settings.input), settings);
    FolderRun run(settings, files);
    std::vector<FileOutcome> outcomes;
    for (size_t index = 0; index < size_t(files.size()) && !StopRequested(); ++index) {
        const QString &file = files[qsizetype(index)];
        const FolderFile prepared = prepareFolderFile(run, index, file, console);
        run.claims.settle(index);
        // A list that did not reach its reader whole is no list: it ends the run.
        try {
            if (!prepared.outcome)
                terminal.data(JobLine(program, file, settings));
        } catch (const Failure &failure) {
            console.failure(failure.message());
            return ExitFailed;
        }
        outcomes.push_back(prepared.outcome.value_or(FileOutcome::Encoded));
    }
    outcomes.resize(size_t(files.size()), FileOutcome::Stopped);
    return summarize(settings, files, outcomes, console, true);
}
