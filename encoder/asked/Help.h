#pragma once

#include <QString>

// What the utility prints when it is started without arguments, on its error stream.
QString UsageText();

// What WM8EUTIL.EXE --help prints: the usage, then every switch with the values it takes, the exit
// codes, the environment and examples.
QString UtilityHelp();
