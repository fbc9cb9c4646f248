#pragma once

#include <QString>
#include <QStringList>

// Splits a parameter text into batch arguments as the command interpreter does: arguments are
// separated by blanks, tabs, commas, semicolons and equals signs outside double quotes; a quoted
// part stays in its argument with its quotes.
QStringList SplitBatchArguments(const QString &text);
