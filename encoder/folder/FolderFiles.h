#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <sys/types.h>

// The files directly in a folder, by name: every entry but subfolders and hidden files, named pipes
// and devices included (the caller refuses to open those). A name that is not valid UTF-8 keeps its
// bytes (see PathFromNative).
QStringList FilesIn(const QString &folder);

// Where a file of a folder source is written: in the output folder, under the source's name
// without its extension, followed by the appendage and ".wmv" for a file with a picture or ".wma"
// for sound alone.
QString BatchOutputName(const QString &source, const QString &folder, const QString &appendage, bool picture);

// Which file a path names, links followed, so that two names of one file (a link, another spelling
// of the folder) are known as one; nothing when it names none.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};
std::optional<FileIdentity> IdentityOf(const QString &path);

struct FileIdentityHash {
    size_t operator()(const FileIdentity &identity) const { return std::hash<ino_t>()(identity.inode) ^ std::hash<dev_t>()(identity.device); }
};
