#pragma once

#include "encoder/asked/Settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The option a listed job begins with: "--job NAME" runs the folder run for the file NAME of the
// source folder alone. NAME and every argument after it may hold escapes (see JobWord).
inline constexpr char JobOption[] = "--job";

// A word that every shell reads as one argument made of printable ASCII alone: the bytes within
// single quotes, each byte that is not printable ASCII, a backslash or a single quote written as a
// backslash and three octal digits ("\012" for a line break), which the utility decodes. A name that
// holds a line break, a quote, "$(...)" or bytes that are not UTF-8 keeps the job to one line and
// one command, whatever shell runs it.
QByteArray JobWord(const QByteArray &bytes);

// A job's arguments: the file it is for and the arguments that follow, escapes decoded; nothing
// where the arguments are not a job's. A backslash not followed by three octal digits stays as it is.
struct JobArguments {
    QString file;
    QStringList rest;
};
std::optional<JobArguments> ReadJobArguments(const QStringList &arguments);

// The utility's own path as a word the shell reads as its bytes: the jobs run where it is installed
// under the same path. Throws Failure where a control character (a line break) keeps it off one line.
QByteArray JobProgramWord();

// The command that runs the folder run for one file alone: the utility (program, as JobProgramWord
// gives it), the file's name, the source and output folders named in full, and every switch asked of
// each file, its value quoted as a configuration file quotes it; every word but the utility's
// escaped as JobWord says.
QByteArray JobLine(const QByteArray &program, const QString &file, const Settings &settings);
