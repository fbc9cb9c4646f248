#include "platform/DesktopShell.h"

#include "platform/CommandLine.h"
#include "platform/Dialogs.h"
#include "platform/Environment.h"
#include "platform/PathHelpers.h"
#include "platform/Services.h"

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

// Starts the first word of command (a program name or path) with the rest of its words and the
// arguments, detached, in folder.
bool startDetached(const QString &command, const QStringList &arguments, const QString &folder)
{
    QStringList words = QProcess::splitCommand(command);
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

// The terminals to try, in order.
QStringList terminalCandidates()
{
    QStringList candidates;
    const QString chosen = GetEnvVar(QStringLiteral("TERMINAL"));
    if (!chosen.trimmed().isEmpty())
        candidates.append(chosen);
    candidates << QStringLiteral("x-terminal-emulator") << QStringLiteral("xterm");
    return candidates;
}

} // namespace

DesktopShell::DesktopShell(QString interpreterPath) : interpreterPath_(std::move(interpreterPath)) {}

void DesktopShell::Open(const QString &file, const QString &parameters, const QString &folder, int)
{
    if (IsBatchFile(file))
        OpenBatchFile(file, parameters, folder);
    else
        OpenDocument(file, folder);
}

void DesktopShell::OpenBatchFile(const QString &file, const QString &parameters, const QString &folder)
{
    const QStringList command = QStringList{QStringLiteral("-e"), interpreterPath_, file} + splitParameters(parameters);
    const QStringList terminals = terminalCandidates();
    for (const QString &terminal : terminals)
        if (startDetached(terminal, command, folder))
            return;
    reportNothingStarted(file, terminals);
}

void DesktopShell::OpenDocument(const QString &file, const QString &folder)
{
    if (!startDetached(QStringLiteral("xdg-open"), {file}, folder))
        reportNothingStarted(file, {QStringLiteral("xdg-open")});
}
