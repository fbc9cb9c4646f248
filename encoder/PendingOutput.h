#pragma once

#include <QString>

// An output file that is written under a hidden temporary name beside its final one and takes the
// final name only when complete, so that a failed or stopped encode leaves nothing behind and an
// older file of the same name survives until the new one is whole.
class PendingOutput {
public:
    // Creates the temporary file; throws Failure naming the output when it cannot be written there.
    explicit PendingOutput(const QString &path);
    ~PendingOutput(); // removes the temporary file unless it was committed
    PendingOutput(const PendingOutput &) = delete;
    PendingOutput &operator=(const PendingOutput &) = delete;

    const QString &temporaryPath() const { return temporary_; }

    // Gives the file its final name, replacing any file there; throws Failure when it cannot.
    void commit();

private:
    QString path_;
    QString temporary_;
    bool committed_ = false;
};
