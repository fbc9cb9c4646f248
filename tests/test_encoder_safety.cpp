// WM8EUTIL.EXE against unlucky and hostile input, from the outside: the user's files are never
// written over, nothing it is given makes it wait, read or nest for ever, and a stop ends it at once.
// Each test looks at what lands on disk and what the console says.
#include "Arguments.h"
#include "MediaMaker.h"
#include "TestMain.h"
#include "UtilityProcess.h"

#include "platform/NativeFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

// Writes a file under a name given as the system's bytes, which need not be valid UTF-8.
void writeNativeFile(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    close(fd);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry of a folder, hidden ones included.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool isFifo(const QString &path)
{
    struct stat status{};
    return stat(NativePath(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

const QByteArray OlderFile = "an older file";

} // namespace

class EncoderSafetyTest : public QObject, private MediaAndWorkFolders {
    Q_OBJECT

private slots:
    void initTestCase();

    // Data safety
    void folderIntoItselfSparesItsSources();
    void differingOutputNeverReplacesAnOlderOne_data();
    void differingOutputNeverReplacesAnOlderOne();
    void differingNamesAreClaimedLikeOutputs_data();
    void differingNamesAreClaimedLikeOutputs();
    void pictureShortOfItsRateReplacesAnOlderOne();
    void undecodableSourceKeepsTheOlderFile();
    void leftoversOfEndedRunsAreRemoved_data();
    void leftoversOfEndedRunsAreRemoved();
    void fullDiskNamesTheAskedOutput();
    void namesKeepTheirBytesAndShowEscaped();
    void aFileNamedInBytesIsEncoded_data();
    void aFileNamedInBytesIsEncoded();
    void truncatedSourceIsCheckedAgainstWhatWasRead();
    void longestTextsAreKeptWhole();

    // Bounds
    void refusedBeforeAnythingIsWritten_data();
    void refusedBeforeAnythingIsWritten();
    void configurationsAreBounded_data();
    void configurationsAreBounded();

    // Stopping
    void stopEndsAFolderRunAtOnce_data();
    void stopEndsAFolderRunAtOnce();

    void cleanupTestCase();

private:
    // A chain of configuration files, each naming the next; the last reports on the clip.
    QString configChain(const QString &name, int length);
};

QString EncoderSafetyTest::configChain(const QString &name, int length)
{
    const QString folder = work(name);
    QDir().mkpath(folder);
    for (int i = 0; i + 1 < length; ++i)
        writeFile(QStringLiteral("%1/%2.weu").arg(folder).arg(i), QStringLiteral("-config %1.weu\r\n").arg(i + 1).toUtf8());
    writeFile(QStringLiteral("%1/%2.weu").arg(folder).arg(length - 1), QStringLiteral("-input \"%1\"\r\n").arg(media(u"clip.avi"_s)).toUtf8());
    return folder + QStringLiteral("/0.weu");
}

void EncoderSafetyTest::initTestCase()
{
    QVERIFY(foldersMade());
    makeMedia(QStringLiteral("clip.avi"), Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=15", "-f", "lavfi", "-i",
                                                     "sine=sample_rate=22050", "-t", "2", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
    makeMedia(QStringLiteral("still.avi"), Arguments({"-f", "lavfi", "-i", "color=c=gray:size=160x120:rate=15", "-t", "2", "-c:v",
                                                      "mpeg4"}));
    makeMedia(QStringLiteral("tone.wav"), Arguments({"-f", "lavfi", "-i", "sine=sample_rate=22050", "-t", "1.5"}));
    makeMedia(QStringLiteral("long.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=15", "-f", "lavfi", "-i",
                         "sine=sample_rate=22050", "-t", "10", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
    makeMedia(QStringLiteral("slow.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-t", "20", "-c:v", "mpeg4", "-q:v", "10"}));

    // A download cut off at 30 %: the header still announces ten seconds.
    const QByteArray whole = bytesOf(media(QStringLiteral("long.avi")));
    writeFile(media(QStringLiteral("truncated.avi")), whole.left(whole.size() * 3 / 10));
    // A WAV whose format tag claims MP3 for its PCM samples.
    QByteArray lying = bytesOf(media(QStringLiteral("tone.wav")));
    lying[20] = 0x55;
    writeFile(media(QStringLiteral("lying.wav")), lying);
    QCOMPARE(mkfifo(QFile::encodeName(work(QStringLiteral("pipe.avi"))).constData(), 0644), 0);
}

void EncoderSafetyTest::folderIntoItselfSparesItsSources()
{
    const QString folder = folderOf(QStringLiteral("own"), {{u"clip.avi"_s, u"a.avi"_s}, {u"clip.avi"_s, u"b.avi"_s}});
    writeFile(folder + QStringLiteral("/a.wmv"), "the user's own a.wmv");

    const UtilityRun run = RunUtilityProcess(Arguments({"-input", folder, "-output", folder}));
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(bytesOf(folder + QStringLiteral("/a.wmv")), QByteArray("the user's own a.wmv"));
    QVERIFY(ReadMedia(folder + QStringLiteral("/b.wmv")).readable);
    QCOMPARE(entries(folder), (QStringList{u"a.avi"_s, u"a.wmv"_s, u"b.avi"_s, u"b.wmv"_s}));
    QVERIFY2(run.err.contains(QStringLiteral("a.avi is left alone: its output %1/a.wmv would write over a.wmv, a file of the "
                                             "source folder.").arg(folder)), qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral("1 encoded, 0 failed, 0 differing from what was asked, 1 skipped as not sound or "
                                             "video files, 1 left alone to spare a file of the source folder")),
             qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("Left out  a.avi\n")), qPrintable(run.out));
}

void EncoderSafetyTest::differingOutputNeverReplacesAnOlderOne_data()
{
    QTest::addColumn<bool>("older");
    QTest::newRow("an older file of that name") << true;
    QTest::newRow("no file of that name") << false;
}

// A title holding a NUL character comes back cut at the NUL: the file differs from what was asked.
void EncoderSafetyTest::differingOutputNeverReplacesAnOlderOne()
{
    QFETCH(bool, older);
    const QString folder = work(older ? QStringLiteral("differs-older") : QStringLiteral("differs-new"));
    QDir().mkpath(folder);
    const QString out = folder + QStringLiteral("/song.wma");
    if (older)
        writeFile(out, OlderFile);
    const QString config = work(QStringLiteral("nul-title.weu"));
    writeFile(config, "-input \"" + media(QStringLiteral("tone.wav")).toUtf8() + "\"\r\n-output \"" + out.toUtf8()
                          + "\"\r\n-title \"a" + QByteArray(1, '\0') + "b\"\r\n");

    const UtilityRun run = RunUtilityProcess(Arguments({"-config", config}));
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(QStringLiteral("Differs   The title reads \"a\"; \"a\\x00b\" was asked for.")), qPrintable(run.err));
    if (older) {
        QCOMPARE(bytesOf(out), OlderFile);
        const QString beside = folder + QStringLiteral("/song.differs.wma");
        QCOMPARE(ReadMedia(beside).sound, QStringLiteral("wmav2 44100 2"));
        QVERIFY2(run.out.contains(QStringLiteral("Kept      %1, the older file, stays in place: the new file differs from what "
                                                 "was asked and is song.differs.wma beside it.").arg(out)), qPrintable(run.out));
        QCOMPARE(entries(folder), (QStringList{u"song.differs.wma"_s, u"song.wma"_s}));
    } else {
        QCOMPARE(ReadMedia(out).sound, QStringLiteral("wmav2 44100 2"));
        QCOMPARE(entries(folder), QStringList{u"song.wma"_s});
    }
}

void EncoderSafetyTest::differingNamesAreClaimedLikeOutputs_data()
{
    QTest::addColumn<int>("atOnce");
    QTest::newRow("one after another") << 1;
    QTest::newRow("side by side") << 2;
}

// The output of song.wav differs and goes beside the older song.wma, but song.differs.wma is the
// output of another file of the folder: it takes the next name free.
void EncoderSafetyTest::differingNamesAreClaimedLikeOutputs()
{
    QFETCH(int, atOnce);
    const QString source = folderOf(QStringLiteral("beside-%1").arg(atOnce),
                                    {{u"tone.wav"_s, u"song.wav"_s}, {u"tone.wav"_s, u"song.differs.wav"_s}});
    const QString target = source + QStringLiteral("-encoded");
    QDir().mkpath(target);
    writeFile(target + QStringLiteral("/song.wma"), OlderFile);
    const QString config = work(QStringLiteral("beside-%1.weu").arg(atOnce));
    writeFile(config, "-input \"" + source.toUtf8() + "\"\r\n-output \"" + target.toUtf8() + "\"\r\n-title \"a" + QByteArray(1, '\0')
                          + "b\"\r\n");

    const UtilityRun run = RunUtilityProcess(Arguments({"-config", config}), {}, {QStringLiteral("WM8EUTIL_JOBS=%1").arg(atOnce)});
    QCOMPARE(run.exitCode, 4);
    QCOMPARE(entries(target), (QStringList{u"song.differs.2.wma"_s, u"song.differs.wma"_s, u"song.wma"_s}));
    QCOMPARE(bytesOf(target + QStringLiteral("/song.wma")), OlderFile);
    QVERIFY2(run.out.contains(QStringLiteral("the new file differs from what was asked and is song.differs.2.wma beside it.")),
             qPrintable(run.out));
}

// A still grey picture needs far less than 2 Mbit/s: that is told, and the file is as asked, so it
// takes the older file's place.
void EncoderSafetyTest::pictureShortOfItsRateReplacesAnOlderOne()
{
    const QString folder = work(QStringLiteral("short-of-rate"));
    QDir().mkpath(folder);
    const QString out = folder + QStringLiteral("/still.wmv");
    writeFile(out, OlderFile);
    const UtilityRun run =
        RunUtilityProcess(Arguments({"-input", media(QStringLiteral("still.avi")), "-output", out, "-v_bitrate", "2000000"}));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QRegularExpression(QStringLiteral("Note      The picture needed only \\d+ kbit/s of the 2000 kbit/s asked for"))),
             qPrintable(Describe(run)));
    QCOMPARE(ReadMedia(out).picture, QStringLiteral("wmv2 160x120 15/1"));
    QCOMPARE(entries(folder), QStringList{u"still.wmv"_s});
}

void EncoderSafetyTest::undecodableSourceKeepsTheOlderFile()
{
    const QString folder = work(QStringLiteral("lying"));
    QDir().mkpath(folder);
    const QString out = folder + QStringLiteral("/lying.wma");
    writeFile(out, OlderFile);
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("lying.wav")), "-output", out}));
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("Nothing of %1 could be decoded").arg(media(QStringLiteral("lying.wav")))),
             qPrintable(Describe(run)));
    QCOMPARE(bytesOf(out), OlderFile);
    QCOMPARE(entries(folder), QStringList{u"lying.wma"_s});
}

void EncoderSafetyTest::leftoversOfEndedRunsAreRemoved_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("a short name") << u"clip.wmv"_s;
    // 250 bytes: the temporary name is cut to stay within the file system's 255.
    QTest::newRow("a name near the longest") << QString(82, QChar(0x65E5)) + u".wmv"_s;
}

void EncoderSafetyTest::leftoversOfEndedRunsAreRemoved()
{
    QFETCH(QString, name);
    const QString folder = work(QStringLiteral("leftovers-%1").arg(name.size()));
    QDir().mkpath(folder);
    const QString out = folder + u'/' + name;

    // A run killed while it writes leaves its part file behind.
    QProcess killed;
    killed.start(UtilityPath(), Arguments({"-input", media(QStringLiteral("slow.avi")), "-output", out, "-v_mode", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(!entries(folder).isEmpty() || killed.state() == QProcess::NotRunning, 30000);
    QVERIFY2(killed.state() == QProcess::Running, "the encode ended before it could be killed");
    killed.kill();
    QVERIFY(killed.waitForFinished(10000));
    const QStringList left = entries(folder);
    QCOMPARE(left.size(), 1);

    // One that another run holds locked is written right now, and stays; so do the part files of other outputs.
    const QString heldName = left[0].left(left[0].lastIndexOf(u'.', -6) + 1) + u"c0ffee.part"_s;
    const QString held = folder + u'/' + heldName;
    writeFile(held, "being written");
    const int heldFd = open(QFile::encodeName(held).constData(), O_RDONLY);
    QCOMPARE(flock(heldFd, LOCK_EX), 0);
    writeFile(folder + QStringLiteral("/.other.wmv.1234.part"), "another output's");

    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("clip.avi")), "-output", out}));
    close(heldFd);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral("Note      %1, left half-written by an earlier run that did not finish, is removed.")
                                  .arg(left[0])), qPrintable(run.out));
    QStringList expected{heldName, u".other.wmv.1234.part"_s, name};
    expected.sort();
    QCOMPARE(entries(folder), expected);
}

void EncoderSafetyTest::fullDiskNamesTheAskedOutput()
{
    const QString folder = work(QStringLiteral("full"));
    QDir().mkpath(folder);
    const QString out = folder + QStringLiteral("/long.wmv");
    writeFile(out, OlderFile);
    // The file size limit stands in for a full disk: writing past it fails as writing to a full disk does.
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("long.avi")), "-output", out}), [] {
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("Cannot write %1: File too large").arg(out)), qPrintable(Describe(run)));
    QCOMPARE(bytesOf(out), OlderFile);
    QCOMPARE(entries(folder), QStringList{u"long.wmv"_s});
}

void EncoderSafetyTest::namesKeepTheirBytesAndShowEscaped()
{
    const QByteArray folder = NativePath(work(QStringLiteral("names")));
    QCOMPARE(mkdir(folder.constData(), 0755), 0);
    const QByteArray tone = bytesOf(media(QStringLiteral("tone.wav")));
    writeNativeFile(folder + "/caf\xe9.wav", tone);
    writeNativeFile(folder + "/bad\xff.avi", bytesOf(media(QStringLiteral("clip.avi"))));
    writeNativeFile(folder + "/a\x1b]0;title\x07z.wav", tone);
    writeNativeFile(folder + "/c\x1b[2Jd.wav", tone);
    writeNativeFile(folder + "/\xf0\x9f\x93\x81.wav", tone);

    const QByteArray target = NativePath(work(QStringLiteral("names-encoded")));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", PathFromNative(folder), "-output", PathFromNative(target)}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral("Folder    5 encoded, 0 failed")), qPrintable(run.out));
    for (const QByteArray &name : {QByteArray("caf\xe9.wma"), QByteArray("a\x1b]0;title\x07z.wma"), QByteArray("c\x1b[2Jd.wma"),
                                   QByteArray("\xf0\x9f\x93\x81.wma")})
        QCOMPARE(ReadMedia(PathFromNative(target + '/' + name)).sound, QStringLiteral("wmav2 44100 2"));
    QCOMPARE(ReadMedia(PathFromNative(target + "/bad\xff.wmv")).picture, QStringLiteral("wmv2 160x120 15/1"));

    for (const QString &stream : {run.out, run.err})
        QVERIFY2(!stream.contains(QChar(0x1b)) && !stream.contains(QChar(0x07)), qPrintable(stream));
    const QString source = PathFromNative(folder);
    const QString written = PathFromNative(target);
    const QStringList shownNames{u"Source    "_s + source + u"/caf\\xE9.wav"_s, u"Written   "_s + written + u"/bad\\xFF.wmv"_s,
                                 u"Source    "_s + source + u"/a\\x1B]0;title\\x07z.wav"_s,
                                 u"Written   "_s + written + u"/c\\x1B[2Jd.wma"_s,
                                 u"Written   "_s + written + u"/\U0001F4C1.wma"_s};
    for (const QString &shown : shownNames)
        QVERIFY2(run.out.contains(shown + u'\n'), qPrintable(run.out));
}

// A file named in bytes that are not UTF-8: on the command line, as a shell passes them, or in the
// configuration file, as the program writes a name it was given in such bytes.
void EncoderSafetyTest::aFileNamedInBytesIsEncoded_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("on the command line") << u"exec \"$0\" -input \"$(printf 'bad\\377.avi')\" -output \"$(printf 'out\\376.wmv')\""_s;
    QTest::newRow("in the configuration file") << u"exec \"$0\" -config tmpconfig.weu"_s;
}

void EncoderSafetyTest::aFileNamedInBytesIsEncoded()
{
    QFETCH(QString, command);
    const QByteArray folder = NativePath(work(u"named-in-bytes "_s + QLatin1String(QTest::currentDataTag())));
    QCOMPARE(mkdir(folder.constData(), 0755), 0);
    writeNativeFile(folder + "/bad\xff.avi", bytesOf(media(QStringLiteral("clip.avi"))));
    writeNativeFile(folder + "/tmpconfig.weu", "-input \"bad\xff.avi\"\r\n-output \"out\xfe.wmv\"\r\n");
    QProcess shell;
    shell.setWorkingDirectory(PathFromNative(folder));
    shell.start(QStringLiteral("/bin/sh"), {u"-c"_s, command, UtilityPath()});
    QVERIFY(shell.waitForFinished(120000));
    const QString out = QString::fromLocal8Bit(shell.readAllStandardOutput());
    QVERIFY2(shell.exitCode() == 0, qPrintable(out + QString::fromLocal8Bit(shell.readAllStandardError())));
    QVERIFY2(out.contains(u"Source    bad\\xFF.avi\n"_s) && out.contains(u"Written   out\\xFE.wmv\n"_s), qPrintable(out));
    QCOMPARE(ReadMedia(PathFromNative(folder + "/out\xfe.wmv")).picture, QStringLiteral("wmv2 160x120 15/1"));
}

void EncoderSafetyTest::truncatedSourceIsCheckedAgainstWhatWasRead()
{
    const QString out = work(QStringLiteral("truncated.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("truncated.avi")), "-output", out}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QRegularExpression(QStringLiteral("Note      The source gave 2\\.\\d{3} s, not the 3\\.000 s its "
                                                                "container announced; the output is checked against what "
                                                                "could be read\\."))),
             qPrintable(run.out));
    const WrittenMedia written = ReadMedia(out);
    QVERIFY2(written.duration > 2.2 && written.duration < 2.8, qPrintable(QString::number(written.duration)));
}

// Each text of the content description holds up to 32766 UTF-16 units; a character beyond the Basic
// Multilingual Plane takes two of them.
void EncoderSafetyTest::longestTextsAreKeptWhole()
{
    const QString out = work(QStringLiteral("longest.wma"));
    const QString title(32766, u'x');
    const QString author = QString::fromUtf8("\xF0\x9F\x8E\xAC").repeated(16383);
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("tone.wav")), "-output", out, "-title", title,
                                                        "-author", author}));
    QVERIFY2(run.exitCode == 0, qPrintable(run.err.left(300)));
    const WrittenMedia written = ReadMedia(out);
    QCOMPARE(written.tags.value(u"title"_s), title);
    QCOMPARE(written.tags.value(u"artist"_s), author);
}

void EncoderSafetyTest::refusedBeforeAnythingIsWritten_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const QString clip = media(QStringLiteral("clip.avi"));
    const QString refused = work(QStringLiteral("refused.wmv"));
    const QString pipe = work(QStringLiteral("pipe.avi"));
    const QString folderNamedLikeAFile = work(QStringLiteral("x.avi"));
    QDir().mkpath(folderNamedLikeAFile);
    QFile::copy(clip, folderNamedLikeAFile + QStringLiteral("/clip.avi"));

    QTest::newRow("output folder missing") << Arguments({"-input", clip, "-output", work(QStringLiteral("missing/out.wmv"))})
                                           << QStringLiteral("Cannot write %1: the folder %2 does not exist.")
                                                  .arg(work(QStringLiteral("missing/out.wmv")), work(QStringLiteral("missing")));
    QTest::newRow("output a folder yet to be made") << Arguments({"-input", clip, "-output", work(QStringLiteral("encoded/"))})
                                                    << QStringLiteral("-output \"%1\" is a folder; for a source file, name the output file.")
                                                           .arg(work(QStringLiteral("encoded/")));
    QTest::newRow("a folder source named like a file, a file output")
        << Arguments({"-input", folderNamedLikeAFile, "-output", refused})
        << QStringLiteral("-output \"%1\" names a file, but -input \"%2\" is a folder").arg(refused, folderNamedLikeAFile);
    QTest::newRow("named pipe as source") << Arguments({"-input", pipe, "-output", refused})
                                          << QStringLiteral("%1 is a named pipe (FIFO), not a sound or video file.").arg(pipe);
    QTest::newRow("named pipe reported on") << Arguments({"-input", pipe})
                                            << QStringLiteral("%1 is a named pipe (FIFO), not a sound or video file.").arg(pipe);
    QTest::newRow("named pipe as configuration")
        << Arguments({"-config", pipe})
        << QStringLiteral("Cannot read the configuration file %1: it is a named pipe (FIFO), not a regular file.").arg(pipe);
    QTest::newRow("endless device as configuration")
        << Arguments({"-config", "/dev/zero"})
        << QStringLiteral("Cannot read the configuration file /dev/zero: it is a character device, not a regular file.");
    // Through a link, so that a utility that wrote over it would replace the link, never the device.
    const QString device = work(QStringLiteral("null.wmv"));
    QFile::link(QStringLiteral("/dev/null"), device);
    QTest::newRow("device as output") << Arguments({"-input", clip, "-output", device})
                                      << QStringLiteral("-output \"%1\" is a character device; name a file to write.").arg(device);
    QTest::newRow("named pipe as output") << Arguments({"-input", clip, "-output", pipe})
                                          << QStringLiteral("-output \"%1\" is a named pipe (FIFO); name a file to write.").arg(pipe);
    QTest::newRow("title longer than the file holds")
        << Arguments({"-input", clip, "-output", refused, "-title", QString(32767, u'x')})
        << QStringLiteral("command line: -title is 32767 characters long; a Windows Media file holds at most 32766 in each of its texts");
    QTest::newRow("description of emoji longer than the file holds")
        << Arguments({"-input", clip, "-output", refused, "-description", QString::fromUtf8("\xF0\x9F\x8E\xAC").repeated(16384)})
        << QStringLiteral("command line: -description is 32768 characters long;");
}

void EncoderSafetyTest::refusedBeforeAnythingIsWritten()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QStringList before = entries(workFolder());
    QElapsedTimer timer;
    timer.start();
    const UtilityRun run = RunUtilityProcess(arguments);
    QVERIFY2(timer.elapsed() < 30000, "the refusal took as long as a hang");
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), qPrintable(Describe(run)));
    QCOMPARE(entries(workFolder()), before);
    QVERIFY(isFifo(work(QStringLiteral("pipe.avi"))));
    QCOMPARE(SpecialFileKind(work(QStringLiteral("null.wmv"))), QStringLiteral("a character device"));
}

void EncoderSafetyTest::configurationsAreBounded_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("16 files nested") << configChain(QStringLiteral("chain16"), 16) << 0 << "";
    QTest::newRow("17 files nested") << configChain(QStringLiteral("chain17"), 17) << 1
                                     << "15.weu, line 1: -config \"16.weu\" is nested more than 16 deep";
    QTest::newRow("40,000 files nested") << configChain(QStringLiteral("chain40000"), 40000) << 1 << "is nested more than 16 deep";

    const QString fanOut = work(QStringLiteral("fan"));
    QDir().mkpath(fanOut);
    for (int i = 0; i < 6; ++i)
        writeFile(QStringLiteral("%1/%2.weu").arg(fanOut).arg(i), QStringLiteral("-config %1.weu\r\n").arg(i + 1).repeated(10).toUtf8());
    writeFile(fanOut + QStringLiteral("/6.weu"), "-title x\r\n");
    QTest::newRow("six files naming the next ten times") << fanOut + QStringLiteral("/0.weu") << 1
                                                          << "would read more than 256 configuration files in all.";

    const QString large = work(QStringLiteral("large.weu"));
    writeFile(large, QByteArray("-title ") + QByteArray(4 * 1024 * 1024, 'x') + "\r\n");
    QTest::newRow("larger than 4 MiB") << large << 1
                                       << QStringLiteral("Cannot read the configuration file %1: it is larger than 4194304 bytes").arg(large);

    const QString many = work(QStringLiteral("many.weu"));
    writeFile(many, QByteArray("-title x\r\n").repeated(10001));
    QTest::newRow("10,001 switches") << many << 1 << "many.weu, line 10001: the configuration holds more than 10000 switches";
}

void EncoderSafetyTest::configurationsAreBounded()
{
    QFETCH(QString, config);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const UtilityRun run = RunUtilityProcess(Arguments({"-config", config}));
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err.left(500)));
}

void EncoderSafetyTest::stopEndsAFolderRunAtOnce_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("Ctrl+C") << SIGINT;
    QTest::newRow("kill") << SIGTERM;
    QTest::newRow("terminal closed") << SIGHUP;
}

void EncoderSafetyTest::stopEndsAFolderRunAtOnce()
{
    QFETCH(int, signal);
    const QString source = folderOf(QStringLiteral("stop-%1").arg(signal),
                                    {{u"slow.avi"_s, u"a.avi"_s}, {u"slow.avi"_s, u"b.avi"_s}, {u"slow.avi"_s, u"c.avi"_s}});
    const QString target = source + QStringLiteral("-encoded");

    // One file at a time, so that one is under way when the stop comes (test_encoder_threads stops
    // files side by side).
    QProcess process;
    process.setProcessEnvironment(UtilityEnvironment({u"WM8EUTIL_JOBS=1"_s}));
    process.start(UtilityPath(), Arguments({"-input", source, "-output", target, "-v_mode", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(!entries(target).isEmpty() || process.state() == QProcess::NotRunning, 30000);
    QVERIFY2(process.state() == QProcess::Running, "the encode ended before it could be stopped");
    kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 3);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(err.count(QStringLiteral("Stopped before the end.")), 1);
    QCOMPARE(out.count(QStringLiteral("Source    ")), 1);
    QVERIFY2(out.contains(QStringLiteral("Folder    0 encoded, 0 failed, 0 differing from what was asked, 0 skipped as not "
                                         "sound or video files, 3 not done: the run was stopped\nNot done  a.avi, b.avi, c.avi\n")),
             qPrintable(out));
    QCOMPARE(entries(target), QStringList());
}

// QTemporaryDir cannot name the files whose names are not valid UTF-8.
void EncoderSafetyTest::cleanupTestCase()
{
    std::error_code error;
    std::filesystem::remove_all(NativePath(workFolder()).toStdString(), error);
    QVERIFY2(!error, error.message().c_str());
}

QUILLMARK_TEST_MAIN(EncoderSafetyTest)
#include "test_encoder_safety.moc"
