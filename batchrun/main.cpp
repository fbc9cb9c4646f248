// batchrun FILE [ARGUMENTS]: runs a batch file as the Windows command interpreter would. Each argument
// is one batch argument, taken as it stands with any quotes it has.
#include "batchrun/Help.h"
#include "batchrun/Runner.h"
#include "batchrun/SpawnStarter.h"
#include "batchrun/TerminalConsole.h"
#include "batchrun/WindowsPaths.h"
#include "platform/Failure.h"
#include "platform/ProgramInfo.h"

#include <QDir>
#include <QProcessEnvironment>

namespace {

// This system passes on exit codes from 0 to 255 only; any other, such as 9009 for a program that
// was not found, ends as 255 rather than as its lowest eight bits, which could read as success.
int processExitCode(int exitCode)
{
    return exitCode >= 0 && exitCode <= 255 ? exitCode : 255;
}

} // namespace

int main(int argc, char *argv[])
{
    TerminalConsole console;
    const QStringList arguments = ArgumentList(argc, argv);
    if (const auto answered = AnswerHelpOrVersion(arguments, QStringLiteral("batchrun"), BatchrunHelp()))
        return *answered;
    if (arguments.isEmpty()) {
        console.PrintError(QStringLiteral("Usage: batchrun FILE [ARGUMENTS]\nTry 'batchrun --help' for more information.\n"));
        return 2;
    }

    const QString folder = QDir::currentPath();
    const QString file = FindPath(arguments[0], folder);
    try {
        if (file.isEmpty())
            throw Failure(QStringLiteral("cannot find %1").arg(arguments[0]));
        SpawnStarter starter;
        Runner runner(console, starter, Variables::FromEnvironment(QProcessEnvironment::systemEnvironment().toStringList()), folder);
        return processExitCode(runner.Run(LoadScript(arguments[0], file), arguments));
    } catch (const Failure &failure) {
        console.PrintError(QStringLiteral("batchrun: ") + failure.message() + u'\n');
        return 1;
    }
}
