#pragma once

#include "encoder/asked/ExitCodes.h"
#include "encoder/console/Terminal.h"

#include <QStringList>

// Runs the utility on its arguments (the program's name left out) and returns its exit code.
int RunUtility(const QStringList &arguments, Terminal &terminal);
