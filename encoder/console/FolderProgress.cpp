#include "encoder/console/FolderProgress.h"

#include <algorithm>
#include <numeric>

FolderProgress::FolderProgress(Terminal &terminal, std::vector<qint64> sizes) : terminal_(terminal), done_(sizes.size(), 0)
{
    // An empty file still takes a moment: it weighs as one byte.
    for (qint64 &size : sizes)
        size = std::max<qint64>(size, 1);
    const double total = double(std::accumulate(sizes.begin(), sizes.end(), qint64(0)));
    for (const qint64 size : sizes)
        weights_.push_back(double(size) / total);
    sinceStart_.start();
}

void FolderProgress::update(size_t file, double done)
{
    const std::lock_guard lock(mutex_);
    record(file, done);
    show(false);
}

void FolderProgress::finished(size_t file)
{
    const std::lock_guard lock(mutex_);
    record(file, 1);
    ++finished_;
    show(true);
}

void FolderProgress::record(size_t file, double done)
{
    runDone_ += weights_[file] * (done - done_[file]);
    done_[file] = done;
}

void FolderProgress::show(bool now)
{
    // The sum of the files' shares may miss 1 by a rounding error.
    const double done = finished_ == done_.size() ? 1 : std::clamp(runDone_, 0.0, 1.0);
    EncodeProgress progress;
    progress.done = done;
    timeLeft_.observe(progress, double(sinceStart_.elapsed()) / 1000);
    if (!now && sinceShown_.isValid() && sinceShown_.elapsed() < ProgressInterval)
        return;
    sinceShown_.start();
    QString text = QStringLiteral("%1 of %2 files, %3 %").arg(finished_).arg(done_.size()).arg(int(done * 100));
    if (const auto left = timeLeft_.seconds(); left && finished_ < done_.size())
        text += QStringLiteral(", %1 left").arg(MinutesAndSeconds(*left));
    terminal_.progress(text);
}
