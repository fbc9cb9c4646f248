#pragma once

#include <QString>

// How the interpreter reads a line once its percent signs are expanded.

// The position of the first character at or after pos that is neither a blank nor a tab.
qsizetype SkipBlanks(const QString &text, qsizetype pos);

// A line without its leading delimiters and "@" signs; an "@" keeps the line from being shown while
// echo is on.
struct LineStart {
    QString command;
    bool quiet = false;
};
LineStart SplitLineStart(const QString &line);

// The text with the caret escapes outside quotes resolved: "^" and the character after it give that
// character (an escaped quote becomes a text quote). Throws NotSupported for "&", "|", "<" and ">"
// outside quotes and for a caret that ends the line.
QString ResolveEscapes(const QString &text);

// A command: its word and the rest of its text. The word of one of the interpreter's own commands ends
// where the name ends, also when a character such as "." or ":" follows without a blank ("echo.");
// a program's word runs to the first delimiter outside quotes. Throws NotSupported for a block in
// parentheses.
struct Command {
    QString word;
    QString tail;
    bool internal = false;
};
Command SplitCommand(const QString &text);

// An IF command: IF [/I] [NOT] EXIST path | DEFINED name | ERRORLEVEL number | a==b, then the command
// to run when the condition holds.
struct IfStatement {
    enum class Kind { Exist, Defined, ErrorLevel, Compare };
    Kind kind = Kind::Compare;
    bool negated = false;
    bool ignoreCase = false;
    QString left;    // the path, the name, the number, or the first of the compared tokens
    QString right;   // the second of the compared tokens
    QString command;
};

// Reads the text after IF. Throws ScriptError for a malformed condition or a missing command, and
// NotSupported for the comparison words (EQU, NEQ, LSS, LEQ, GTR, GEQ) and for a block as the command,
// whether the condition holds or not.
IfStatement ParseIf(const QString &text);
