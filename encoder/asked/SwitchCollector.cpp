#include "encoder/asked/SwitchCollector.h"

#include "params/ParamNames.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString CommandLine = QStringLiteral("command line");

// A dash and a letter start a switch; a dash and a digit start a negative number, a value.
bool looksLikeSwitch(const QString &argument)
{
    return argument.size() > 1 && argument[0] == u'-' && argument[1].isLetter();
}

std::vector<Switch> splitCommandLine(const QStringList &arguments)
{
    std::vector<Switch> switches;
    for (const QString &argument : arguments) {
        if (ParamRow(argument) != 0) {
            switches.push_back({argument, {}, CommandLine});
            continue;
        }
        if (switches.empty() || looksLikeSwitch(argument))
            throw UnknownSwitch(CommandLine, argument);
        QString &value = switches.back().value;
        value = value.isEmpty() ? argument : value + u' ' + argument;
    }
    for (Switch &item : switches) {
        if (item.value.isEmpty())
            throw Failure(QStringLiteral("%1: the switch %2 has no value.").arg(CommandLine, item.name));
        item.value = Unquoted(item.value);
    }
    return switches;
}

// How far configuration files may reach: the program writes one file naming none, so these leave
// hand-made chains plenty of room and stop a chain or a fan-out that would never end.
constexpr qsizetype DeepestNesting = 16;
constexpr int MostFilesRead = 256;
constexpr size_t MostSwitches = 10000;

// What the expansion has gathered so far.
struct Expansion {
    std::vector<Switch> switches;
    QStringList openFiles; // canonical paths of the files being read, outermost first
    int filesRead = 0;
};

void expand(const std::vector<Switch> &switches, const QDir &folder, Expansion &expansion)
{
    for (const Switch &item : switches) {
        if (ParamRow(item.name) != RowConfig) {
            if (expansion.switches.size() == MostSwitches)
                throw Failure(QStringLiteral("%1: the configuration holds more than %2 switches, counting those of the files "
                                             "it names.").arg(item.origin).arg(MostSwitches));
            expansion.switches.push_back(item);
            continue;
        }
        const QString path = QDir::cleanPath(folder.absoluteFilePath(item.value));
        const QString identity = QFileInfo(path).canonicalFilePath();
        if (!identity.isEmpty() && expansion.openFiles.contains(identity))
            throw Failure(QStringLiteral("%1: -config \"%2\" would read that file again inside itself; a configuration "
                                         "file cannot name itself, directly or through others.").arg(item.origin, item.value));
        if (expansion.openFiles.size() == DeepestNesting)
            throw Failure(QStringLiteral("%1: -config \"%2\" is nested more than %3 deep; a configuration file may name "
                                         "another, which may name another, %3 deep at most.")
                              .arg(item.origin, item.value).arg(DeepestNesting));
        if (++expansion.filesRead > MostFilesRead)
            throw Failure(QStringLiteral("%1: -config \"%2\" would read more than %3 configuration files in all.")
                              .arg(item.origin, item.value).arg(MostFilesRead));
        expansion.openFiles.append(identity);
        expand(ReadConfigFile(path), QFileInfo(path).absoluteDir(), expansion);
        expansion.openFiles.removeLast();
    }
}

} // namespace

std::vector<Switch> CollectSwitches(const QStringList &arguments)
{
    Expansion expansion;
    expand(splitCommandLine(arguments), QDir::current(), expansion);
    return expansion.switches;
}
