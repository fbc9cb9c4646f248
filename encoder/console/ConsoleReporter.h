#pragma once

#include "encoder/check/ReadBack.h"
#include "encoder/console/FolderProgress.h"
#include "encoder/console/Terminal.h"
#include "encoder/console/TimeLeft.h"
#include "encoder/folder/FolderTally.h"
#include "encoder/run/EncodeFile.h"

#include <QElapsedTimer>

// Everything the utility shows in its console window: what it is about to do, a progress line
// that is rewritten in place, what it wrote, and what went wrong (on the error stream).
class ConsoleReporter : public EncodeObserver {
public:
    // Shows its lines at once, and the progress of the pass under way.
    explicit ConsoleReporter(Terminal &terminal);
    // For one file of a folder: its progress is the run's, and with held, its lines are held back
    // until release() shows them together.
    ConsoleReporter(Terminal &terminal, FolderProgress &folder, size_t file, bool held);

    void usage();
    void failure(const QString &message);
    void source(const SourceFacts &facts);
    void plan(const EncodePlan &plan, const QString &output);
    void note(const QString &text) override;
    void progress(const EncodeProgress &progress) override;
    void written(const QString &path, const WrittenFile &file);
    void differences(const QStringList &differences);
    void keptOlder(const QString &output, const QString &placed);
    // An output an earlier run left as this one would make it, as asked or differing as before.
    void alreadyDone(const QString &output, bool differs);
    void skipped(const QStringList &names);
    // The summary of a folder run, or with listing, of the jobs it listed.
    void batchSummary(const FolderTally &tally, bool listing);

    // Shows the lines held back.
    void release();

private:
    void line(const QString &label, const QString &text);
    void show(const ConsoleLine &line);

    Terminal &terminal_;
    FolderProgress *folder_ = nullptr;
    size_t file_ = 0;
    bool held_ = false;
    std::vector<ConsoleLine> heldLines_;
    int pass_ = 0;
    TimeLeft timeLeft_;
    QElapsedTimer sinceStart_;
    QElapsedTimer sincePass_;
    QElapsedTimer sinceShown_;
};
