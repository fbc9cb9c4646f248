#pragma once

#include <QString>
#include <QStringList>

// The command interpreter's delimiters between arguments: blank, tab, comma, semicolon, equals sign.
bool IsBatchDelimiter(QChar c);

// The position of the first character at or after pos that is not a delimiter.
qsizetype SkipBatchDelimiters(const QString &text, qsizetype pos);

// The argument that starts at pos, up to the first delimiter outside double quotes, its quotes kept;
// pos moves past it.
QString TakeBatchToken(const QString &text, qsizetype &pos);

// Splits a parameter text into batch arguments as the command interpreter does: arguments are
// separated by delimiters outside double quotes; a quoted part stays in its argument with its quotes.
QStringList SplitBatchArguments(const QString &text);
