#pragma once

#include <cstddef>
#include <functional>

// Calls work with every number below count, in order, on up to jobs threads at once (the calling
// thread one of them), and returns when all calls have returned. With one job, or where no other
// thread can be started, the calls run one after another in the calling thread. work must not throw.
void ForEachSideBySide(size_t count, int jobs, const std::function<void(size_t)> &work);
