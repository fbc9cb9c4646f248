#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// A name beside path, as PendingOutput::commitBeside gives them: "clip.differs.wmv" for the marker
// "differs" and the number 1, "clip.differs.2.wmv" for 2.
QString BesideName(const QString &path, const QString &marker, int number);

// An output file that is written under a hidden temporary name beside its final one and takes the
// final name only when complete, so that a failed or stopped encode leaves nothing behind and an
// older file of the same name survives until the new one is whole. The temporary file is locked while
// it is written; a temporary file of the same output that nobody holds locked is left over from a run
// that ended without cleaning up (killed, or the power went), and is removed.
class PendingOutput {
public:
    // Removes leftovers and creates the temporary file; throws Failure naming the output when it
    // cannot be written there.
    explicit PendingOutput(const QString &path);
    ~PendingOutput(); // removes the temporary file unless it was committed
    PendingOutput(const PendingOutput &) = delete;
    PendingOutput &operator=(const PendingOutput &) = delete;

    const QString &temporaryPath() const { return temporary_; }

    // The names of the leftover temporary files that were removed.
    const QStringList &removedLeftovers() const { return removed_; }

    // Gives the file its final name, replacing any file there; throws Failure when it cannot.
    void commit();

    // Gives the file its final name where no file has it; where one does, leaves that file alone and
    // names the new one beside it, "clip.differs.wmv" for the marker "differs" (with a number added
    // when that name is taken too, by a file or as one of the names reserved). Returns the name
    // given; throws Failure when it cannot.
    QString commitBeside(const QString &marker, const QSet<QString> &reserved = {});

private:
    void removeLeftovers();
    void create();
    bool moveTo(const QString &path, bool replace);

    QString path_;
    QByteArray prefix_; // the start of its temporary names, ".clip.wmv."
    QString temporary_;
    QStringList removed_;
    int fd_ = -1;
    bool committed_ = false;
};
