#include "encoder/SideBySide.h"

#include "platform/Failure.h"

#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <sched.h>
#include <system_error>
#include <thread>
#include <vector>

int UsableCores()
{
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return std::max(1, CPU_COUNT(&allowed));
    return std::max(1U, std::thread::hardware_concurrency());
}

int JobsAtOnce()
{
    if (!qEnvironmentVariableIsSet(JobsVariable))
        return std::min(UsableCores(), MostJobs);
    const QString value = qEnvironmentVariable(JobsVariable);
    static const QRegularExpression number(QStringLiteral("^\\d{1,3}$"));
    const int jobs = number.match(value).hasMatch() ? value.toInt() : 0;
    if (jobs < 1 || jobs > MostJobs)
        throw Failure(QStringLiteral("%1 \"%2\" is not allowed; it takes how many files of a folder, or pieces of one "
                                     "file's picture, are encoded at once, "
                                     "from 1 to %3.").arg(QLatin1String(JobsVariable), value).arg(MostJobs));
    return jobs;
}

void ForEachSideBySide(size_t count, int jobs, const std::function<void(size_t)> &work)
{
    std::atomic<size_t> next = 0;
    const auto takeTurns = [&] {
        for (size_t item = next++; item < count; item = next++)
            work(item);
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < jobs && size_t(i) < count; ++i) {
        try {
            helpers.emplace_back(takeTurns);
        } catch (const std::system_error &) { // the machine has no thread to spare: fewer files at once
            break;
        }
    }
    takeTurns();
    for (std::thread &helper : helpers)
        helper.join();
}
