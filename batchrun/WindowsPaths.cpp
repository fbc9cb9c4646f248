#include "batchrun/WindowsPaths.h"

#include "platform/PathHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace {

QStringList programFileNames(const QString &name)
{
    if (!ExtractFileExt(name).isEmpty())
        return {name};
    QStringList names;
    for (const char *extension : {".COM", ".EXE", ".BAT", ".CMD"})
        names.append(name + QLatin1String(extension));
    return names;
}

} // namespace

QString FindPath(const QString &windowsPath, const QString &folder)
{
    QString path = windowsPath;
    path.replace(u'\\', u'/');
    if (path.isEmpty())
        return {};
    if (!path.startsWith(u'/'))
        path = folder + u'/' + path;
    // "." and ".." are taken on the names alone, before anything is looked up, as Windows takes them.
    QStringList names;
    for (const QString &name : path.split(u'/', Qt::SkipEmptyParts)) {
        if (name == u"..") {
            if (!names.isEmpty())
                names.removeLast();
        } else if (name != u".") {
            names.append(name);
        }
    }
    QString found;   // the root folder is the empty text, as the path helpers take it
    for (const QString &name : names) {
        found = FindEntryNoCase(found, name);
        if (found.isEmpty())
            return {};
    }
    return found.isEmpty() ? QStringLiteral("/") : found;
}

QString ProgramSearch::Find(const QString &command, const QString &folder, const QString &searchPath)
{
    QString name = command;
    name.replace(u'\\', u'/');
    if (name.isEmpty())
        return {};
    const bool bare = !name.contains(u'/');
    const QStringList folders = QStringList{folder} + (bare ? searchPath.split(u':', Qt::SkipEmptyParts) : QStringList());
    for (qsizetype i = 0; i < folders.size(); ++i) {
        for (const QString &fileName : programFileNames(name)) {
            // The current folder may change while the script runs; it is looked at anew each time.
            const QString found = i == 0 ? FindPath(fileName, folders[i]) : findInSearchFolder(folders[i], fileName);
            if (!found.isEmpty() && QFileInfo(found).isFile())
                return found;
        }
    }
    return {};
}

QString ProgramSearch::findInSearchFolder(const QString &folder, const QString &fileName)
{
    auto listing = listings_.find(folder);
    if (listing == listings_.end()) {
        listing = listings_.insert(folder, {});
        for (const QString &entry : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            listing->names.insert(entry);
            listing->byLowerCase.insert(entry.toLower(), entry);
        }
    }
    // An exact match is preferred, as FindPath prefers it.
    if (listing->names.contains(fileName))
        return JoinPath(folder, fileName);
    const auto found = listing->byLowerCase.constFind(fileName.toLower());
    return found == listing->byLowerCase.cend() ? QString() : JoinPath(folder, *found);
}
