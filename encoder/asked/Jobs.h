#pragma once

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
