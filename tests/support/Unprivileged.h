#pragma once

// The file system refuses root no write, so a case about a folder the program cannot write runs as an
// ordinary user. When the test program runs as root, RerunUnprivileged runs the current test function
// (and data row) again in a child process as the user nobody, with a home folder of its own, and
// returns the child's exit code; it returns nothing when the program does not run as root, and the
// case then goes on in this process.
#include <optional>

std::optional<int> RerunUnprivileged();
