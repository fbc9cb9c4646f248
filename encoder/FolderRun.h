#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/console/ConsoleReporter.h"
#include "encoder/console/Terminal.h"

// Encodes every sound or video file directly in the source folder, as many at once as JobsAtOnce
// says; one that fails is reported and the others go on. Each file's lines are shown together, and
// every file's result is what it would have been with the files encoded one after another. A stop
// ends the whole run at once. Returns the run's exit code.
int EncodeSourceFolder(const Settings &settings, Terminal &terminal, ConsoleReporter &console);
