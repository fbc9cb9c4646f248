#include "encoder/Utility.h"
#include "encoder/asked/Help.h"
#include "encoder/common/LibavSupport.h"
#include "encoder/common/StopSignals.h"
#include "platform/NativeFiles.h"
#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    // A path may name a file whose name is not valid UTF-8; its bytes are kept.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments += PathFromNative(QByteArray(argv[i]));
    if (const auto answered = AnswerHelpOrVersion(arguments, QStringLiteral("WM8EUTIL.EXE"), UtilityHelp()))
        return *answered;
    RouteLibavLog();
    WatchStopSignals();
    Terminal terminal;
    // What ends the utility unforeseen still ends it in order: every file it was writing is removed.
    try {
        return RunUtility(arguments, terminal);
    } catch (...) {
        std::fputs("Out of memory, or another failure the utility did not foresee.\n", stderr);
        return ExitFailed;
    }
}
