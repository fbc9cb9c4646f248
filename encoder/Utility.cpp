#include "encoder/Utility.h"

#include "encoder/FolderRun.h"
#include "encoder/OneOutput.h"
#include "encoder/OutputChecks.h"
#include "encoder/asked/JobLine.h"
#include "encoder/asked/Jobs.h"
#include "encoder/asked/SwitchCollector.h"
#include "encoder/common/StopSignals.h"
#include "platform/NativeFiles.h"

#include <optional>

namespace {

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
        CheckFileOutput(settings);
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
    if (const auto note = ContainerNameNote(settings.output))
        plan.notes += *note;
    console.plan(plan, settings.output);
    const FileOutcome outcome = EncodeOutput(source, plan, settings.output, console, CoreShare{true, pieces});
    if (outcome == FileOutcome::Stopped)
        console.failure(Stopped().message());
    return ExitCodeOf(outcome);
}

} // namespace

int RunUtility(const QStringList &arguments, Terminal &terminal)
{
    const std::optional<JobArguments> job = ReadJobArguments(arguments);
    QStringList switches = job ? job->rest : arguments;
    const bool listing = switches.removeAll(QLatin1String(ListJobsOption)) > 0;
    if (listing)
        terminal.sendLinesToErrorStream();
    ConsoleReporter console(terminal);
    if (switches.isEmpty()) {
        console.usage();
        return ExitUsage;
    }
    Settings settings;
    try {
        settings = ParseSettings(CollectSwitches(switches));
        if (KindOf(settings.input) == FileKind::Missing)
            throw Failure(QStringLiteral("-input \"%1\": there is no such file or folder.").arg(settings.input));
        if (job && (listing || KindOf(settings.input) != FileKind::Folder || settings.output.isEmpty()))
            throw Failure(QStringLiteral("%1 runs a job that %2 listed: the folder run for one file of the source folder, "
                                         "with -input naming the folder and -output the output folder.")
                              .arg(QLatin1String(JobOption), QLatin1String(ListJobsOption)));
    } catch (const Failure &failure) {
        console.failure(failure.message());
        return ExitRefused;
    }
    if (listing)
        return ListFolderJobs(settings, terminal, console);
    if (job)
        return EncodeSourceFolder(settings, terminal, console, job->file);
    return KindOf(settings.input) == FileKind::Folder ? EncodeSourceFolder(settings, terminal, console) : encodeSourceFile(settings, console);
}
