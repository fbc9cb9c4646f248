// The path helpers in both path styles: Windows paths with "\" and drive colons, POSIX paths with "/".
#include "TestMain.h"

#include "platform/NativeFiles.h"
#include "platform/PathHelpers.h"
#include "platform/UriList.h"
#include "source/ProposedOutput.h"

#include <QDir>
#include <QRegularExpression>
#include <QSysInfo>

Q_DECLARE_METATYPE(PathStyle)

class PathsTest : public QObject {
    Q_OBJECT

private slots:
    void parts_data();
    void parts();
    void outputName_data();
    void outputName();
    void trailingSeparators_data();
    void trailingSeparators();
    void proposedOutputFile_data();
    void proposedOutputFile();
    void nulCharacterNamesNothing();
    void systemNamesKeepTheirBytes_data();
    void systemNamesKeepTheirBytes();
    void droppedAddressesNameLocalFiles_data();
    void droppedAddressesNameLocalFiles();
};

void PathsTest::parts_data()
{
    QTest::addColumn<PathStyle>("style");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ext");

    const auto win = PathStyle::Windows;
    const auto posix = PathStyle::Posix;
    QTest::newRow("win file") << win << "C:\\Media\\clip.avi" << "C:\\Media" << "clip.avi" << ".avi";
    QTest::newRow("win folder") << win << "C:\\Videos\\Clips" << "C:\\Videos" << "Clips" << "";
    QTest::newRow("win top folder") << win << "C:\\Videos" << "C:\\" << "Videos" << "";
    QTest::newRow("win trailing backslash") << win << "C:\\Videos\\" << "C:\\Videos" << "" << "";
    QTest::newRow("win drive relative") << win << "C:clip.wav" << "C:" << "clip.wav" << ".wav";
    QTest::newRow("win double backslash") << win << "C:\\a\\\\b" << "C:\\a\\\\" << "b" << "";
    QTest::newRow("win dot in folder only") << win << "C:\\v.1\\clip" << "C:\\v.1" << "clip" << "";
    QTest::newRow("win last extension counts") << win << "D:\\song.WAV.AVI" << "D:" "\\" << "song.WAV.AVI" << ".AVI";
    QTest::newRow("posix file") << posix << "/media/clip.avi" << "/media" << "clip.avi" << ".avi";
    QTest::newRow("posix top folder") << posix << "/media" << "/" << "media" << "";
    QTest::newRow("posix trailing slash") << posix << "/media/" << "/media" << "" << "";
    QTest::newRow("posix colon is a letter") << posix << "/a:b/c:d.wav" << "/a:b" << "c:d.wav" << ".wav";
    QTest::newRow("posix backslash is a letter") << posix << "/a\\b.x\\c" << "/" << "a\\b.x\\c" << ".x\\c";
    QTest::newRow("posix relative") << posix << "clip.avi" << "" << "clip.avi" << ".avi";
}

void PathsTest::parts()
{
    QFETCH(PathStyle, style);
    QFETCH(QString, path);
    QFETCH(QString, dir);
    QFETCH(QString, name);
    QFETCH(QString, ext);
    QCOMPARE(ExtractFileDir(path, style), dir);
    QCOMPARE(ExtractFileName(path, style), name);
    QCOMPARE(ExtractFileExt(path, style), ext);
}

void PathsTest::outputName_data()
{
    QTest::addColumn<PathStyle>("style");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("output");

    const auto win = PathStyle::Windows;
    const auto posix = PathStyle::Posix;
    QTest::newRow("win folder") << win << "C:\\Media\\Clips" << "C:\\Media\\encoded\\Clips";
    QTest::newRow("win top folder") << win << "C:\\Media" << "C:\\encoded\\Media";
    QTest::newRow("win trailing backslash") << win << "C:\\Media\\" << "C:\\Media\\encoded\\";
    QTest::newRow("win root") << win << "C:\\" << "C:\\encoded\\";
    QTest::newRow("win network share collapses") << win << "\\\\server\\share" << "\\server\\encoded\\share";
    QTest::newRow("posix folder") << posix << "/media/Clips" << "/media/encoded/Clips";
    QTest::newRow("posix top folder") << posix << "/media" << "/encoded/media";
    QTest::newRow("posix trailing slash") << posix << "/media/" << "/media/encoded/";
    QTest::newRow("posix root") << posix << "/" << "/encoded/";
    QTest::newRow("posix doubled slashes") << posix << "/a////b" << "/a//encoded/b";
}

void PathsTest::outputName()
{
    QFETCH(PathStyle, style);
    QFETCH(QString, source);
    QFETCH(QString, output);
    const QString middle = PathSeparator(style) + QStringLiteral("encoded") + PathSeparator(style);
    QCOMPARE(BuildOutputName(source, middle, style), output);
}

void PathsTest::trailingSeparators_data()
{
    QTest::addColumn<PathStyle>("style");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("win several") << PathStyle::Windows << "C:\\Program\\\\\\" << "C:\\Program";
    QTest::newRow("win drive root") << PathStyle::Windows << "C:\\" << "C:";
    QTest::newRow("win slash kept") << PathStyle::Windows << "C:/x/" << "C:/x/";
    QTest::newRow("empty") << PathStyle::Windows << "" << "";
    QTest::newRow("posix several") << PathStyle::Posix << "/opt/q//" << "/opt/q";
    QTest::newRow("posix root") << PathStyle::Posix << "/" << "";
}

void PathsTest::trailingSeparators()
{
    QFETCH(PathStyle, style);
    QFETCH(QString, path);
    QFETCH(QString, stripped);
    QCOMPARE(StripTrailingBackslashes(path, style), stripped);
}

void PathsTest::proposedOutputFile_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("output");
    QTest::newRow("avi") << "/m/clip.avi" << "/m/clip.wmv";
    QTest::newRow("mixed case avi") << "/m/clip.aVi" << "/m/clip.wmv";
    QTest::newRow("wav") << "/m/song.Wav" << "/m/song.wma";
    QTest::newRow("mp3") << "/m/song.mp3" << "";
    QTest::newRow("wav then avi") << "/m/song.WAV.AVI" << "/m/song.WAV.wmv";
    QTest::newRow("no extension") << "/m.d/song" << "";
}

void PathsTest::proposedOutputFile()
{
    QFETCH(QString, source);
    QFETCH(QString, output);
    QCOMPARE(ProposedOutputFile(source), output);
}

// A text box or a script line may hold a NUL character; no file has one in its name, and asking the
// file system about such a path would print a warning on the terminal.
void PathsTest::nulCharacterNamesNothing()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    const QString folder = QDir::tempPath();
    const QString nul(QChar(0));
    QVERIFY(DirectoryExists(folder));
    QVERIFY(!DirectoryExists(folder + nul));
    QVERIFY(!FileExists(folder + nul + QStringLiteral("x")));
    QCOMPARE(FindEntryNoCase(QStringLiteral("/"), QDir(folder).dirName() + nul), QString());
    QCOMPARE(FindFileNoCase(folder + nul, QStringLiteral("x")), QString());
}

void PathsTest::systemNamesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("text"); // what a name of valid UTF-8 reads as; empty for the others
    QTest::newRow("plain") << QByteArray("clip.avi") << "clip.avi";
    QTest::newRow("letters of two, three and four bytes") << QByteArray("caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xac.wav")
                                                          << QString::fromUtf16(u"caf\u00e9 \u65e5 \U0001F3AC.wav");
    QTest::newRow("a character whose second half looks like a kept byte")
        << QByteArray("\xf0\x9f\x93\x81 \xf0\x9f\x92\x80.wav") << QString::fromUtf16(u"\U0001F4C1 \U0001F480.wav");
    QTest::newRow("byte-order mark kept") << QByteArray("\xef\xbb\xbf.wav") << QChar(0xFEFF) + QStringLiteral(".wav");
    QTest::newRow("Latin-1 letter") << QByteArray("caf\xe9.wav") << "";
    QTest::newRow("byte that UTF-8 never holds") << QByteArray("bad\xff.avi") << "";
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80.wav") << "";
    QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf" "b") << "";
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << "";
    QTest::newRow("sequence cut short at the end") << QByteArray("clip\xe6\x97") << "";
}

void PathsTest::systemNamesKeepTheirBytes()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, text);
    const QString path = PathFromNative(name);
    QCOMPARE(NativePath(path), name);
    if (!text.isEmpty())
        QCOMPARE(path, text);
    else
        QVERIFY(!path.contains(QChar::ReplacementCharacter));
    QCOMPARE(NativePath(QStringLiteral("/media/") + path + QStringLiteral(".wmv")), "/media/" + name + ".wmv");
}

// What a drag from a file manager names: the paths with the bytes of their names, or nothing at all
// when anything in it is not a local file.
void PathsTest::droppedAddressesNameLocalFiles_data()
{
    QTest::addColumn<QByteArray>("uriList");
    QTest::addColumn<QByteArrayList>("names");
    const QByteArray thisMachine = QSysInfo::machineHostName().toUtf8();
    QTest::newRow("one file") << QByteArray("file:///media/clip.avi\r\n") << QByteArrayList{"/media/clip.avi"};
    QTest::newRow("several, in order, a comment and bare line feeds")
        << QByteArray("# dragged\nfile:///m/b.avi\n\nfile:///m/a.wav\nfile:///m/Clips/\n")
        << QByteArrayList{"/m/b.avi", "/m/a.wav", "/m/Clips/"};
    QTest::newRow("blanks, percent and hash escaped") << QByteArray("file:///m/my%20clip%20100%25%20%231.avi")
                                                      << QByteArrayList{"/m/my clip 100% #1.avi"};
    QTest::newRow("UTF-8 and bytes that are not") << QByteArray("file:///m/%C3%BCber%20caf%E9%ff.avi")
                                                  << QByteArrayList{"/m/\xc3\xbc" "ber caf\xe9\xff.avi"};
    QTest::newRow("percent and hash left unescaped") << QByteArray("file:///m/50%.avi#2?x=%4")
                                                     << QByteArrayList{"/m/50%.avi#2?x=%4"};
    QTest::newRow("this machine named") << "FILE://localhost/a.avi\r\nfile://" + thisMachine + QByteArrayLiteral("/b.avi\r\nfile:/c.avi\r\n\0")
                                        << QByteArrayList{"/a.avi", "/b.avi", "/c.avi"};
    QTest::newRow("web address") << QByteArray("https://example.org/clip.avi\r\n") << QByteArrayList{};
    QTest::newRow("another machine") << QByteArray("file://fileserver/share/clip.avi") << QByteArrayList{};
    QTest::newRow("a web address among files") << QByteArray("file:///m/a.avi\r\nhttp://example.org/b.avi\r\n")
                                               << QByteArrayList{};
    QTest::newRow("plain text") << QByteArray("/media/clip.avi") << QByteArrayList{};
    QTest::newRow("relative file address") << QByteArray("file:clip.avi") << QByteArrayList{};
    QTest::newRow("escaped NUL") << QByteArray("file:///m/a%00.avi") << QByteArrayList{};
    QTest::newRow("comments only") << QByteArray("# nothing\r\n\r\n") << QByteArrayList{};
}

void PathsTest::droppedAddressesNameLocalFiles()
{
    QFETCH(QByteArray, uriList);
    QFETCH(QByteArrayList, names);
    QByteArrayList found;
    for (const QString &path : LocalPathsFromUriList(uriList))
        found.append(NativePath(path));
    QCOMPARE(found, names);
}

QUILLMARK_TEST_MAIN(PathsTest)
#include "test_paths.moc"
