#pragma once

#include "encoder/EncodePipeline.h"
#include "encoder/TimeLeft.h"
#include "encoder/Verification.h"

#include <QElapsedTimer>
#include <QTextStream>

// Everything the utility shows in its console window: what it is about to do, a progress line
// that is rewritten in place, what it wrote, and what went wrong (on the error stream).
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
    void skipped(const QStringList &names);
    void batchSummary(int encoded, const QStringList &failed, const QStringList &skipped, const QStringList &differing);

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
