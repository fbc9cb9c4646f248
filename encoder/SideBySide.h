#pragma once

#include <QString>
#include <functional>

// The environment variable that sets how many files of a folder, or pieces of one file's picture,
// are encoded at once.
inline constexpr char JobsVariable[] = "WM8EUTIL_JOBS";
constexpr int MostJobs = 64;

// The cores this process may run on.
int UsableCores();

// How many files of a folder, or pieces of one file's picture, are encoded at once: as
// WM8EUTIL_JOBS says, else one per core this process may run on. Throws Failure naming the
// variable when it holds anything but a number from 1 to MostJobs.
int JobsAtOnce();

// Calls work with every number below count, in order, on up to jobs threads at once (the calling
// thread one of them), and returns when all calls have returned. With one job, or where no other
// thread can be started, the calls run one after another in the calling thread. work must not throw.
void ForEachSideBySide(size_t count, int jobs, const std::function<void(size_t)> &work);
