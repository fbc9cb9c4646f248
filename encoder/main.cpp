#include "encoder/ConfigReader.h"
#include "platform/Failure.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

const char *const Usage = "Usage: WM8EUTIL.EXE -config FILE\n";

int run(const QStringList &arguments)
{
    QTextStream out(stdout);
    if (arguments.size() != 2 || arguments[0] != QLatin1String("-config")) {
        QTextStream(stderr) << Usage;
        return 2;
    }
    const std::vector<Switch> switches = ReadConfigFile(arguments[1]);
    out << "Configuration " << arguments[1] << ":\n";
    for (const Switch &item : switches)
        out << "  " << item.name << " = " << item.value << '\n';
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    try {
        return run(app.arguments().mid(1));
    } catch (const Failure &failure) {
        QTextStream(stderr) << failure.message() << '\n';
        return 1;
    }
}
