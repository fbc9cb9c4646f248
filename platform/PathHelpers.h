#pragma once

#include <QString>

// Path text helpers, written once for both styles: Windows paths separate folders with "\" and end a
// drive with ":"; POSIX paths separate folders with "/" and treat ":" as an ordinary character.
enum class PathStyle { Windows, Posix };

constexpr PathStyle NativePathStyle = PathStyle::Posix;

// The folder separator of the style: "\" or "/".
QChar PathSeparator(PathStyle style = NativePathStyle);

// Everything after the last separator (or drive colon); empty when the path ends in one.
QString ExtractFileName(const QString &path, PathStyle style = NativePathStyle);

// Everything up to and including the last separator (or drive colon).
QString ExtractFilePath(const QString &path, PathStyle style = NativePathStyle);

// The folder part without its final separator, except that a separator right after a drive colon
// or after another separator stays: C:\Videos\Clips gives C:\Videos, C:\Videos gives C:\.
QString ExtractFileDir(const QString &path, PathStyle style = NativePathStyle);

// From the last "." of the last path component, the dot included; empty when there is none.
QString ExtractFileExt(const QString &path, PathStyle style = NativePathStyle);

// The path with its extension (as ExtractFileExt finds it) replaced by ext.
QString ChangeFileExt(const QString &path, const QString &ext, PathStyle style = NativePathStyle);

// The path with every trailing separator removed.
QString StripTrailingBackslashes(const QString &path, PathStyle style = NativePathStyle);

// Whether the file is a batch file: its extension is .bat or .cmd in any letter case.
bool IsBatchFile(const QString &path, PathStyle style = NativePathStyle);

// folder + name joined with one separator.
QString JoinPath(const QString &folder, const QString &name, PathStyle style = NativePathStyle);

// The folder part of source, then middle, then the name part, with doubled separators collapsed
// (twice, left to right): C:\Media\Clips with \encoded\ gives C:\Media\encoded\Clips.
QString BuildOutputName(const QString &source, const QString &middle, PathStyle style = NativePathStyle);

// The path made absolute against the current folder, which is the folder the program was started in
// (nothing changes it); an absolute path and the empty text come back as they are.
QString AbsolutePath(const QString &path);

// Existence tests, on the bytes of the name as PathFromNative keeps them. FileExists is false for a
// folder; wildcard characters are ordinary characters.
bool FileExists(const QString &path);
bool DirectoryExists(const QString &path);

// Whether the current user may create files in the folder, the way the system itself decides (a
// read-only mount refuses even root).
bool IsWritableFolder(const QString &path);

// The full path of the file in folder whose name equals name without regard to letter case, as
// Windows matches names; empty when there is none. An exact match is preferred. An empty folder is the
// root folder.
QString FindFileNoCase(const QString &folder, const QString &name);

// The same for any entry of the folder: a file, a folder or anything else.
QString FindEntryNoCase(const QString &folder, const QString &name);
