#include "encoder/FolderRun.h"

#include "encoder/OneOutput.h"
#include "encoder/asked/ExitCodes.h"
#include "encoder/asked/Jobs.h"
#include "encoder/common/StopSignals.h"
#include "encoder/folder/FolderFiles.h"
#include "encoder/folder/OutputClaims.h"
#include "encoder/folder/SideBySide.h"
#include "platform/NativeFiles.h"

#include <QFileInfo>
#include <filesystem>
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
            RefuseSpecialOutput(output);
            return true;
        });
        if (!claimed)
            return FileOutcome::Spared;
    } catch (const NotMedia &) {
        return FileOutcome::Skipped;
    } catch (const Stopped &) {
        return FileOutcome::Stopped;
    } catch (...) {
        return ReportFailure(console, output);
    }
    console.plan(plan, output);
    return EncodeOutput(source, plan, output, console, share, run.outputNames);
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
            run.sources.emplace_back(*identity, QFileInfo(file).fileName());
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

// Tells the run's summary and returns its exit code.
int summarize(const Settings &settings, const QStringList &files, const std::vector<FileOutcome> &outcomes, ConsoleReporter &console)
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
    console.batchSummary(tally);
    if (tally.encoded.isEmpty() && folderExitCode(tally) == ExitDone) {
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
    return summarize(settings, files, encodeFiles(run, files, jobs, terminal, progress), console);
}
