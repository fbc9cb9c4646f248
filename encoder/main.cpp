#include "encoder/LibavSupport.h"
#include "encoder/StopSignals.h"
#include "encoder/Utility.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    RouteLibavLog();
    WatchStopSignals();
    ConsoleReporter console;
    return RunUtility(app.arguments().mid(1), console);
}
