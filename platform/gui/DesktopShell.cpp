#include "platform/gui/DesktopShell.h"

#include "platform/CommandLine.h"
#include "platform/Environment.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// Splits the parameter text into batch arguments as the command interpreter does, except for a first
// argument that opens with a quote: it runs to the last quote followed by a delimiter or the end. The
// program quotes nothing but the one path it passes, and a path here may itself hold quotes.
QStringList splitParameters(const QString &text)
{
    const qsizetype first = SkipBatchDelimiters(text, 0);
    if (first >= text.size() || text[first] != u'"')
        return SplitBatchArguments(text);
    qsizetype end = text.size();
    while (end > first + 1 && !(text[end - 1] == u'"' && (end == text.size() || IsBatchDelimiter(text[end]))))
        --end;
    if (end == first + 1)
        return SplitBatchArguments(text);
    return QStringList{text.mid(first, end - first)} + SplitBatchArguments(text.mid(end));
}

// Starts the program named by the first word with the other words and the arguments, detached, in
// folder.
bool startDetached(QStringList words, const QStringList &arguments, const QString &folder)
{
    if (words.isEmpty())
        return false;
    const QString program = QStandardPaths::findExecutable(words.takeFirst());
    return !program.isEmpty() && QProcess::startDetached(program, words + arguments, folder);
}

void reportNothingStarted(const QString &file, const QStringList &tried)
{
    services().dialogs->Message(QStringLiteral("Shell"),
                                QStringLiteral("Cannot open %1.\r\rNothing could be started; tried: %2.")
                                    .arg(file, tried.join(QStringLiteral(", "))),
                                MessageIcon::Error);
}

// The words of a terminal setting, read as a shell reads "$TERMINAL": the whole text (blanks around
// it aside) names the program when there is one by that name, so that a path with blanks stays whole;
// otherwise it is a command line of its own, split at blanks with quotes keeping a path whole
// ("my-term --hold").
QStringList terminalWords(const QString &setting)
{
    const QString whole = setting.trimmed();
    if (!QStandardPaths::findExecutable(whole).isEmpty())
        return {whole};
    return QProcess::splitCommand(whole);
}

const QStringList FallbackTerminals{QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm")};

} // namespace

DesktopShell::DesktopShell(QString interpreterPath) : interpreterPath_(std::move(interpreterPath)) {}

void DesktopShell::Open(const QString &file, const QString &parameters, const QString &folder, int)
{
    if (IsBatchFile(file))
        OpenBatchFile(file, parameters, folder);
    else
        OpenDocument(file, folder);
}

// The terminal the user chose in $TERMINAL comes first; one that cannot be started is reported before
// the usual terminals are tried in its place.
void DesktopShell::OpenBatchFile(const QString &file, const QString &parameters, const QString &folder)
{
    const QStringList command = QStringList{QStringLiteral("-e"), interpreterPath_, file} + splitParameters(parameters);
    QStringList tried;
    if (const QString chosen = GetEnvVar(QStringLiteral("TERMINAL")); !chosen.trimmed().isEmpty()) {
        if (startDetached(terminalWords(chosen), command, folder))
            return;
        services().dialogs->Message(QStringLiteral("Shell"),
                                    QStringLiteral("Cannot start the terminal that TERMINAL names: %1.\r\r"
                                                   "Trying %2 instead.")
                                        .arg(chosen, FallbackTerminals.join(QStringLiteral(", then "))),
                                    MessageIcon::Warning);
        tried.append(chosen);
    }
    for (const QString &terminal : FallbackTerminals)
        if (startDetached({terminal}, command, folder))
            return;
    reportNothingStarted(file, tried + FallbackTerminals);
}

void DesktopShell::OpenDocument(const QString &file, const QString &folder)
{
    if (!startDetached({QStringLiteral("xdg-open")}, {file}, folder))
        reportNothingStarted(file, {QStringLiteral("xdg-open")});
}
