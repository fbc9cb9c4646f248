#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/console/ConsoleReporter.h"
#include "encoder/console/Terminal.h"

#include <optional>

// Encodes every sound or video file directly in the source folder, as many at once as JobsAtOnce
// says; one that fails is reported and the others go on. Each file's lines are shown together, and
// every file's result is what it would have been with the files encoded one after another. A stop
// ends the whole run at once. Returns the run's exit code. With only, the run is the job listed for
// the file of that name: that file alone is encoded, as the folder run encodes it, and its summary
// and exit code are those of that file.
int EncodeSourceFolder(const Settings &settings, Terminal &terminal, ConsoleReporter &console,
                       const std::optional<QString> &only = std::nullopt);

// The option that asks for a folder run's jobs rather than the run.
inline constexpr char ListJobsOption[] = "--list-jobs";

// Prints on the output, one line each, a command that runs the folder run for one file of the source
// folder alone (see JobWord), for every file that still needs it: the claims on outputs are settled as
// the folder run settles them, and an output an earlier run left as this one would make it is left
// out. Any scheduler can run the lines. Everything else the utility shows goes to the error stream.
// Returns the exit code the folder run would give for what it could not list; a list that cannot be
// written whole fails.
int ListFolderJobs(const Settings &settings, Terminal &terminal, ConsoleReporter &console);
