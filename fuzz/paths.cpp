// The path helpers on any text, in both styles, the splitting of a parameter text into batch
// arguments, and the reading of a dragged address list. The properties are the ones callers rely on: a
// name part never holds a separator, the folder and name parts make the path again, stripping
// separators is done in one go, an output name keeps the source's name under the "encoded" folder, a
// proposed output is never the source, and a dragged list gives absolute paths that name the same
// files when sent again.
//
// Input: the text, as UTF-8; as the dragged list, its bytes.
#include "fuzz/Require.h"
#include "platform/CommandLine.h"
#include "platform/NativeFiles.h"
#include "platform/PathHelpers.h"
#include "platform/UriList.h"
#include "source/ProposedOutput.h"

namespace {

bool isDelimiter(QChar c, PathStyle style)
{
    return c == PathSeparator(style) || (style == PathStyle::Windows && c == u':');
}

bool onlySeparators(QStringView text, PathStyle style)
{
    for (QChar c : text)
        if (c != PathSeparator(style))
            return false;
    return true;
}

void checkParts(const QString &path, PathStyle style)
{
    const QString name = ExtractFileName(path, style);
    const QString filePath = ExtractFilePath(path, style);
    const QString dir = ExtractFileDir(path, style);
    const QString ext = ExtractFileExt(path, style);
    const QString detail = QStringLiteral("path [%1] file path [%2] dir [%3] name [%4] ext [%5]")
                               .arg(path, filePath, dir, name, ext);

    for (QChar c : name)
        Require(!isDelimiter(c, style), "a name part holds no separator", detail);
    Require(filePath + name == path, "the file path and the name make the path", detail);
    Require(filePath.startsWith(dir) && filePath.size() - dir.size() <= 1 && onlySeparators(QStringView(filePath).mid(dir.size()), style),
            "the folder part is the file path less at most its last separator", detail);
    Require(name.endsWith(ext) && (ext.isEmpty() || (ext.startsWith(u'.') && ext.lastIndexOf(u'.') == 0)),
            "an extension is the name's last dot and what follows", detail);
    Require(ChangeFileExt(path, ext, style) == path, "putting back the extension changes nothing", detail);
    const QString changed = ChangeFileExt(path, QStringLiteral(".wmv"), style);
    Require(ExtractFileExt(changed, style) == QLatin1String(".wmv") && ExtractFilePath(changed, style) == filePath,
            "a changed extension is the new one, in the same folder", changed);
    Require(!IsBatchFile(path, style) || ext.compare(u".bat", Qt::CaseInsensitive) == 0
                || ext.compare(u".cmd", Qt::CaseInsensitive) == 0,
            "a batch file ends in .bat or .cmd", detail);
}

void checkStripping(const QString &path, PathStyle style)
{
    const QString stripped = StripTrailingBackslashes(path, style);
    Require(StripTrailingBackslashes(stripped, style) == stripped, "stripping is done in one go", stripped);
    Require(!stripped.endsWith(PathSeparator(style)), "nothing stripped ends in a separator", stripped);
    Require(path.startsWith(stripped) && onlySeparators(QStringView(path).mid(stripped.size()), style),
            "only trailing separators are stripped", stripped);
}

void checkOutputName(const QString &path, PathStyle style)
{
    const QString middle = PathSeparator(style) + QStringLiteral("encoded") + PathSeparator(style);
    const QString output = BuildOutputName(path, middle, style);
    const QString name = ExtractFileName(path, style);
    Require(ExtractFileName(output, style) == name, "an output name keeps the source's name", output);
    if (!name.isEmpty())
        Require(ExtractFileDir(output, style).endsWith(QLatin1String("encoded")), "the output lies in the encoded folder",
                output);
}

void checkProposedOutput(const QString &path)
{
    const QString output = ProposedOutputFile(path);
    const QString ext = ExtractFileExt(path).toLower();
    if (ext != QLatin1String(".wav") && ext != QLatin1String(".avi")) {
        Require(output.isEmpty(), "only a .wav or .avi source has a proposed output", output);
        return;
    }
    Require(output != path, "the proposed output is never the source", output);
    Require(ExtractFilePath(output) == ExtractFilePath(path)
                && ExtractFileExt(output) == (ext == QLatin1String(".wav") ? QLatin1String(".wma") : QLatin1String(".wmv")),
            "the proposed output is the source with the Windows Media extension of its type", output);
}

// Arguments are what lies between delimiters outside quotes; set side by side with blanks they split
// into the same arguments again, and a path the program quotes stays one argument.
void checkBatchArguments(const QString &text)
{
    const QStringList arguments = SplitBatchArguments(text);
    for (const QString &argument : arguments)
        Require(!argument.isEmpty() && !IsBatchDelimiter(argument.front()), "an argument starts with no delimiter", argument);
    Require(SplitBatchArguments(arguments.join(u' ')) == arguments, "arguments split again the same",
            arguments.join(QStringLiteral("|")));
    if (!text.contains(u'"')) {
        const QString quoted = u'"' + text + u'"';
        Require(SplitBatchArguments(quoted) == QStringList{quoted}, "a quoted path is one argument", quoted);
    }
}

// Each path read from a list is absolute and whole; escaped again into a list of its own, it reads
// back the same.
void checkUriList(const QByteArray &list)
{
    const QStringList paths = LocalPathsFromUriList(list);
    QByteArray again;
    for (const QString &path : paths) {
        const QByteArray bytes = NativePath(path);
        Require(bytes.startsWith('/') && !bytes.contains('\0'), "a dropped path is absolute, without NUL", path);
        again += "file://" + bytes.toPercentEncoding("/") + "\r\n";
    }
    Require(LocalPathsFromUriList(again) == paths, "dropped paths sent again read the same", paths.join(u'|'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(bytes), qsizetype(size));
    for (const PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
        checkParts(text, style);
        checkStripping(text, style);
        checkOutputName(text, style);
    }
    checkProposedOutput(text);
    checkBatchArguments(text);
    checkUriList(QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(size)));
    return 0;
}
