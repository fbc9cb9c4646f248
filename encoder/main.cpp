#include "encoder/Utility.h"
#include "encoder/asked/Help.h"
#include "encoder/common/LibavSupport.h"
#include "encoder/common/StopSignals.h"
#include "platform/NativeFiles.h"
#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>

namespace {

// A standard stream the caller closed would be taken by the next file the utility opens, an output
// among them, and the console's lines would be written into that file: each closed one is taken first.
void takeClosedStandardStreams()
{
    for (int stream = 0; stream <= 2; ++stream)
        if (fcntl(stream, F_GETFD) < 0 && open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY) < 0)
            std::_Exit(ExitFailed);
}

} // namespace

int main(int argc, char *argv[])
{
    takeClosedStandardStreams();
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
