#pragma once

#include <QString>
#include <QStringList>

// Splits the text after a program's name into its arguments as the Windows C runtime splits a command
// line: blanks and tabs separate arguments outside quotes; quotes open and close quoted parts and are
// dropped; inside a quoted part two quotes give one quote and end the part; backslashes are literal
// except before a quote, where each pair gives one backslash and an odd one makes the quote literal.
// Text quotes are ordinary characters.
QStringList SplitProgramArguments(const QString &text);
