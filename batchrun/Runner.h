#pragma once

#include "batchrun/CommandSyntax.h"
#include "batchrun/Script.h"
#include "batchrun/Variables.h"
#include "batchrun/WindowsPaths.h"

#include <optional>

class Console;
class ProgramStarter;

// Runs a batch script as the Windows command interpreter runs it, with echo off and on, ECHO, REM and
// "::", SET, IF, GOTO and labels, PAUSE, EXIT, and programs with their arguments. Running another batch
// file hands the script over to it. A line in a form it does not run is reported with the script's name
// and the line's number, and the script goes on; an error the command interpreter stops at (a syntax
// error, a missing label) is reported and ends the script.
class Runner {
public:
    // folder is the current folder: relative paths start there and programs run there.
    Runner(Console &console, ProgramStarter &starter, Variables variables, QString folder);

    // Runs script. arguments[0] is the script as it was named (%0), the others are its batch arguments
    // as typed, quotes kept. Returns the exit code: the last program's, 9009 when the last program could
    // not be found or started, 1 after an error that ended the script, 0 when nothing set one.
    int Run(const Script &script, const QStringList &arguments);

    // Ends the script with an error once it has run count lines, counted across the batch files it hands
    // over to. Without a limit a script runs as long as it does: a GOTO loop forever, as in the command
    // interpreter; tests set one so that such a script cannot hold them up.
    void LimitLines(qint64 count);

private:
    void begin(const Script &script, const QStringList &arguments);
    void runLine(const QString &line);
    void runCommand(const QString &text);

    void echo(const QString &tail);
    void remark(const QString &tail);
    void set(const QString &tail);
    void ifCommand(const QString &tail);
    void gotoLabel(const QString &tail);
    void pause(const QString &tail);
    void exit(const QString &tail);
    void startProgram(const Command &command);

    bool holds(const IfStatement &statement) const;
    std::optional<QString> variable(const QString &name) const;
    void report(const QString &message);

    Console &console_;
    ProgramStarter &starter_;
    ProgramSearch programs_;
    Variables variables_;
    QString folder_;
    Script script_;
    QStringList arguments_;
    qsizetype current_ = 0;   // the index of the line that runs
    qsizetype next_ = 0;      // the index of the line that runs next
    bool echo_ = true;
    bool ended_ = false;
    int errorLevel_ = 0;
    std::optional<qint64> lineLimit_;
    qint64 linesRun_ = 0;
};
