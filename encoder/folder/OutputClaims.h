#pragma once

#include <QSet>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// Settles, file by file in the order of the folder, which output each file of a folder run writes,
// so that where two files would write the same output the earlier one does, and every check a file
// makes before it claims its output sees what the files before it claimed, however many files are
// encoded at once.
class OutputClaims {
public:
    explicit OutputClaims(size_t files) : settled_(files, false) {}

    // Waits until every earlier file has settled, then asks decide, with the outputs claimed so far,
    // whether the file claims output. Settles the file either way, also where decide throws.
    bool claim(size_t file, const QString &output, const std::function<bool(const QSet<QString> &claimed)> &decide);

    // Settles a file that claims no output: it was skipped, failed or was stopped before. A file
    // settled already stays as it is.
    void settle(size_t file);

private:
    void settleLocked(size_t file);

    std::mutex mutex_;
    std::condition_variable settledChanged_;
    std::vector<bool> settled_;
    size_t settledUpTo_ = 0; // every file before this one has settled
    QSet<QString> claimed_;
};
