#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <vector>

// The files directly in a folder, by name: every entry but subfolders and hidden files, named pipes
// and devices included (the caller refuses to open those). A name that is not valid UTF-8 keeps its
// bytes (see PathFromNative).
QStringList FilesIn(const QString &folder);

// Where a file of a folder source is written: in the output folder, under the source's name
// without its extension, followed by the appendage and ".wmv" for a file with a picture or ".wma"
// for sound alone.
QString BatchOutputName(const QString &source, const QString &folder, const QString &appendage, bool picture);

// What became of one file of a run.
enum class FileOutcome {
    Encoded,  // written as asked
    Differs,  // written, but not as asked
    Failed,
    Stopped,  // under way when the run was stopped
    Skipped,  // not a sound or video file
    Spared,   // not encoded: its output would have written over a file of the source folder
    Reported, // reported on only: no output was asked for
};

// What became of the files of a folder source, by name.
struct FolderTally {
    QStringList encoded;
    QStringList differing;
    QStringList failed;
    QStringList skipped;
    QStringList spared;
    QStringList notDone; // stopped under way, or never started because the run was stopped

    void add(FileOutcome outcome, const QString &name);
};

// Which file a path names, links followed, so that two names of one file (a link, another spelling
// of the folder) are known as one; nothing when it names none.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};
std::optional<FileIdentity> IdentityOf(const QString &path);

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
