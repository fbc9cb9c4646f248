#pragma once

#include <QString>

// A double quote that is text: it never opens or closes a quoted part. The interpreter uses it for the
// quotes inside an argument wrapped in quotes (a path here may hold quotes, which a Windows path never
// does, and they must not end the quoted path) and for a quote escaped with a caret. A Unicode
// noncharacter, which is set aside for a program's internal use, so no real text is mistaken for it.
constexpr QChar TextQuote = QChar(0xFDD0);

// The text with its text quotes turned back into quotes: what leaves the interpreter (output, program
// arguments, paths, the environment of programs) is always plain.
QString PlainText(const QString &text);

// A batch argument as a script sees it: when it is wrapped in quotes, the quotes inside become text
// quotes, so that the argument stays one quoted part wherever the script puts it.
QString ProtectInnerQuotes(const QString &argument);

// The token without its quotes, as a file or program name: the quotes that open and close quoted parts
// are dropped, text quotes become quotes.
QString WithoutQuotes(const QString &token);
