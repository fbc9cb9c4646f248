#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// Windows path rules on this file system: "\" and "/" both separate folders, a relative path starts in
// the given folder, and each name matches an entry without regard to letter case (an exact match is
// preferred). Returns the existing path, or the empty text when nothing of that name exists.
QString FindPath(const QString &windowsPath, const QString &folder);

// Finds the programs commands name, as the command interpreter does: a name with a folder part is
// looked up there, a bare name in the current folder and then in each folder of searchPath (separated
// by ":", the separator of this system's PATH). A name without an extension is tried with .COM, .EXE,
// .BAT and .CMD, in that order, in each folder. The folders of the search path are listed once, the
// first time a command is looked for in them, rather than again for every command.
class ProgramSearch {
public:
    // Returns the file's path, or the empty text.
    QString Find(const QString &command, const QString &folder, const QString &searchPath);

private:
    QString findInSearchFolder(const QString &folder, const QString &fileName);

    // The files of each search folder listed so far: lower-case name to name, and each name as it is.
    struct Listing {
        QHash<QString, QString> byLowerCase;
        QSet<QString> names;
    };
    QHash<QString, Listing> listings_;
};
