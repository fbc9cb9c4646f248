#include "batchrun/WindowsPaths.h"

#include "platform/PathHelpers.h"

#include <QFileInfo>
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

QString FindProgram(const QString &command, const QString &folder, const QString &searchPath)
{
    QString name = command;
    name.replace(u'\\', u'/');
    if (name.isEmpty())
        return {};
    QStringList folders = {folder};
    if (!name.contains(u'/'))
        folders += searchPath.split(u':', Qt::SkipEmptyParts);
    for (const QString &candidateFolder : folders) {
        for (const QString &fileName : programFileNames(name)) {
            const QString found = FindPath(fileName, candidateFolder);
            if (!found.isEmpty() && QFileInfo(found).isFile())
                return found;
        }
    }
    return {};
}
