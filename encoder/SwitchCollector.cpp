#include "encoder/SwitchCollector.h"

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

void expand(const std::vector<Switch> &switches, const QDir &folder, QStringList &openFiles, std::vector<Switch> &result)
{
    for (const Switch &item : switches) {
        if (ParamRow(item.name) != RowConfig) {
            result.push_back(item);
            continue;
        }
        const QString path = QDir::cleanPath(folder.absoluteFilePath(item.value));
        const QString identity = QFileInfo(path).canonicalFilePath();
        if (!identity.isEmpty() && openFiles.contains(identity))
            throw Failure(QStringLiteral("%1: -config \"%2\" would read that file again inside itself; a configuration "
                                         "file cannot name itself, directly or through others.").arg(item.origin, item.value));
        openFiles.append(identity);
        expand(ReadConfigFile(path), QFileInfo(path).absoluteDir(), openFiles, result);
        openFiles.removeLast();
    }
}

} // namespace

std::vector<Switch> CollectSwitches(const QStringList &arguments)
{
    std::vector<Switch> result;
    QStringList openFiles;
    expand(splitCommandLine(arguments), QDir::current(), openFiles, result);
    return result;
}
