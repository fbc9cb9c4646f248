#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Quillmark's version, the one its package carries.
QString QuillmarkVersion();

// What --version prints for one of Quillmark's programs, in the form GNU programs use: the program,
// the package and the version, then the copyright line.
QString VersionText(const QString &program);

// One entry of a help text: the term indented by two blanks, its explanation beside it from the
// 25th column on (or on the next line when the term is longer), wrapped to 79 columns.
QString HelpItem(const QString &term, const QString &text);

// The help's entries for --help and --version.
QString HelpAndVersionItems();

// Text wrapped to 79 columns, each line starting with indent blanks.
QString WrapText(const QString &text, int indent = 0);

// The arguments a program was started with, its own name left out, in the locale's encoding.
QStringList ArgumentList(int argc, char *argv[]);

// Answers --help and --version given as the first argument, as GNU programs do: prints the help text
// (followed by where to report bugs) or the version text on standard output and returns the exit
// code, 0, or 1 when standard output could not take it. Returns nothing for any other command line,
// which the program then runs as usual.
std::optional<int> AnswerHelpOrVersion(const QStringList &arguments, const QString &program, const QString &help);
