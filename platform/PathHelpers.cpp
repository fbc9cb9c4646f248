#include "platform/PathHelpers.h"

#include "platform/NativeFiles.h"

#include <QDir>

#include <unistd.h>

namespace {

bool isDelimiter(QChar c, PathStyle style)
{
    if (style == PathStyle::Windows)
        return c == u'\\' || c == u':';
    return c == u'/';
}

// Index of the last separator or drive colon, -1 when there is none.
qsizetype lastDelimiter(const QString &path, PathStyle style)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isDelimiter(path[i], style))
            return i;
    return -1;
}

qsizetype extensionStart(const QString &path, PathStyle style)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > lastDelimiter(path, style) ? dot : -1;
}

QString collapseDoubledSeparators(QString text, PathStyle style)
{
    const QString single(PathSeparator(style));
    const QString doubled = single + single;
    for (int pass = 0; pass < 2; ++pass)
        text.replace(doubled, single);
    return text;
}

// No file system takes a NUL character in a name, and Qt warns on the terminal for each such path it
// is asked about: a path holding one names nothing, without asking.
bool holdsNul(const QString &path)
{
    return path.contains(QChar(0));
}

QString findNoCase(const QString &folder, const QString &name, QDir::Filters kinds, bool (*exists)(const QString &))
{
    if (holdsNul(folder) || holdsNul(name))
        return {};
    const QString exact = JoinPath(folder, name);
    if (exists(exact))
        return exact;
    const QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    const QStringList entries = dir.entryList(kinds | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return JoinPath(folder, entry);
    return {};
}

} // namespace

QChar PathSeparator(PathStyle style)
{
    return style == PathStyle::Windows ? u'\\' : u'/';
}

QString ExtractFileName(const QString &path, PathStyle style)
{
    return path.mid(lastDelimiter(path, style) + 1);
}

QString ExtractFilePath(const QString &path, PathStyle style)
{
    return path.left(lastDelimiter(path, style) + 1);
}

QString ExtractFileDir(const QString &path, PathStyle style)
{
    qsizetype end = lastDelimiter(path, style);
    if (end > 0 && path[end] == PathSeparator(style) && !isDelimiter(path[end - 1], style))
        --end;
    return path.left(end + 1);
}

QString ExtractFileExt(const QString &path, PathStyle style)
{
    const qsizetype start = extensionStart(path, style);
    return start < 0 ? QString() : path.mid(start);
}

QString ChangeFileExt(const QString &path, const QString &ext, PathStyle style)
{
    const qsizetype start = extensionStart(path, style);
    return (start < 0 ? path : path.left(start)) + ext;
}

QString StripTrailingBackslashes(const QString &path, PathStyle style)
{
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == PathSeparator(style))
        --end;
    return path.left(end);
}

bool IsBatchFile(const QString &path, PathStyle style)
{
    const QString ext = ExtractFileExt(path, style).toUpper();
    return ext == QLatin1String(".BAT") || ext == QLatin1String(".CMD");
}

QString JoinPath(const QString &folder, const QString &name, PathStyle style)
{
    return folder + PathSeparator(style) + name;
}

QString BuildOutputName(const QString &source, const QString &middle, PathStyle style)
{
    return collapseDoubledSeparators(ExtractFileDir(source, style) + middle + ExtractFileName(source, style), style);
}

QString AbsolutePath(const QString &path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool FileExists(const QString &path)
{
    const FileKind kind = KindOf(path);
    return kind == FileKind::Regular || kind == FileKind::Special;
}

bool DirectoryExists(const QString &path)
{
    return KindOf(path) == FileKind::Folder;
}

bool IsWritableFolder(const QString &path)
{
    return DirectoryExists(path) && ::access(NativePath(path).constData(), W_OK | X_OK) == 0;
}

QString FindFileNoCase(const QString &folder, const QString &name)
{
    return findNoCase(folder, name, QDir::Files, FileExists);
}

QString FindEntryNoCase(const QString &folder, const QString &name)
{
    return findNoCase(folder, name, QDir::AllEntries | QDir::NoDotAndDotDot,
                      [](const QString &path) { return KindOf(path) != FileKind::Missing; });
}
