#include "encoder/asked/Jobs.h"

#include "platform/Failure.h"

#include <QRegularExpression>
#include <algorithm>
#include <sched.h>
#include <thread>

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
