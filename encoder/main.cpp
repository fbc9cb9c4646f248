#include "encoder/Help.h"
#include "encoder/LibavSupport.h"
#include "encoder/StopSignals.h"
#include "encoder/Utility.h"
#include "platform/ProgramInfo.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (const auto answered = AnswerHelpOrVersion(arguments, QStringLiteral("WM8EUTIL.EXE"), UtilityHelp()))
        return *answered;
    RouteLibavLog();
    WatchStopSignals();
    Terminal terminal;
    return RunUtility(arguments, terminal);
}
