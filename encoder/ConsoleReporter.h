#pragma once

#include "encoder/Batch.h"
#include "encoder/EncodePipeline.h"
#include "encoder/TimeLeft.h"
#include "encoder/Verification.h"

#include <QElapsedTimer>
#include <QTextStream>

// Everything the utility shows in its console window: what it is about to do, a progress line
// that is rewritten in place, what it wrote, and what went wrong (on the error stream). Control
// characters in what it shows (a file name may hold an escape sequence that would clear the terminal)
// and the bytes of names that are not valid UTF-8 are shown escaped, as \x1B.
class ConsoleReporter : public EncodeObserver {
public:
    ConsoleReporter();

    void usage();
    void failure(const QString &message);
    void source(const SourceFacts &facts);
    void plan(const EncodePlan &plan, const QString &output);
    void note(const QString &text) override;
    void progress(const EncodeProgress &progress) override;
    void written(const QString &path, const WrittenFile &file);
    void differences(const QStringList &differences);
    void keptOlder(const QString &output, const QString &placed);
    void skipped(const QStringList &names);
    void batchSummary(const FolderTally &tally);

private:
    void line(const QString &label, const QString &text);
    void endProgressLine();

    QTextStream out_;
    QTextStream err_;
    bool progressOpen_ = false;
    int pass_ = 0;
    TimeLeft timeLeft_;
    QElapsedTimer sinceStart_;
    QElapsedTimer sincePass_;
    QElapsedTimer sinceShown_;
};
