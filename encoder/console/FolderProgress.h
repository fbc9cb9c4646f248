#pragma once

#include "encoder/console/Terminal.h"
#include "encoder/console/TimeLeft.h"

#include <QElapsedTimer>
#include <mutex>
#include <vector>

// The progress line of a folder run, over the whole run: "3 of 12 files, 41 %, 1:20 left". Each
// file weighs as much as its size, a rough measure of its work known before it is opened. Files
// encoded side by side report to it from their own threads.
class FolderProgress {
public:
    FolderProgress(Terminal &terminal, std::vector<qint64> sizes);

    // done: the part of that file's work done, 0 to 1.
    void update(size_t file, double done);
    void finished(size_t file);

private:
    void record(size_t file, double done);
    void show(bool now);

    Terminal &terminal_;
    std::mutex mutex_;
    std::vector<double> weights_; // each file's share of the run
    std::vector<double> done_;    // each file's part done
    double runDone_ = 0;          // the part of the run done
    size_t finished_ = 0;
    TimeLeft timeLeft_;
    QElapsedTimer sinceStart_;
    QElapsedTimer sinceShown_;
};
