#include "batchrun/WindowsPaths.h"

#include "platform/PathHelpers.h"

#include <QFileInfo>
#include <QStringList>

namespace {

QString parentOf(const QString &path)
{
    return path.left(qMax(qsizetype(0), path.lastIndexOf(u'/')));
}

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
    // The root folder is the empty text here, as the path helpers take it.
    QString found = path.startsWith(u'/') ? QString() : folder;
    for (const QString &name : path.split(u'/', Qt::SkipEmptyParts)) {
        if (name == u"..") {
            found = parentOf(found);
        } else if (name != u".") {
            found = FindEntryNoCase(found, name);
            if (found.isEmpty())
                return {};
        }
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
