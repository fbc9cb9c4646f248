// WM8EUTIL.EXE on every core: the files of a folder encoded side by side end exactly as they do one
// after another, a file encoded alone in threads is written byte for byte as in one thread, a
// picture encoded in pieces joins them without a seam, and a stop or a failure ends every file and
// every thread at once, leaving nothing half-written.
#include "Arguments.h"
#include "MediaMaker.h"
#include "TestMain.h"
#include "UtilityProcess.h"

#include "encoder/asked/SwitchCollector.h"
#include "encoder/check/DeclaredHeader.h"
#include "encoder/folder/OutputClaims.h"
#include "encoder/lanes/BoundedQueue.h"
#include "encoder/lanes/PieceWorkers.h"
#include "encoder/plan/Pieces.h"
#include "encoder/probe/SourceProbe.h"
#include "encoder/run/EncodeFile.h"
#include "encoder/run/PieceJoiner.h"
#include "encoder/write/AsfLayout.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

Q_DECLARE_METATYPE(EncodePlan)
Q_DECLARE_METATYPE(std::vector<TimedFrame>)

// What changes between a folder run and the next.
enum class Change {
    HalfRemoved, SettingChanged, SourceTouched, SourceReplaced, OutputCutShort, IndexZeroed, PacketZeroed, OutputDiffers,
    DiffersBesideAnOlder, IntoTheSourceFolder,
};
Q_DECLARE_METATYPE(Change)

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

// Every entry of a folder by the bytes of its name, hidden ones included; Qt would take names that
// are not UTF-8 for others.
QList<QByteArray> rawEntries(const QString &folder)
{
    QList<QByteArray> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder.toStdString()))
        names += QByteArray::fromStdString(entry.path().filename().native());
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray rawBytesOf(const QString &folder, const QByteArray &name)
{
    std::ifstream file(folder.toStdString() + '/' + name.toStdString(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(file), {}));
}

// The bytes of an output damaged as a crash, a full disk or a bad copy leaves them: cut short, its
// index or a data packet in the middle zeroed.
QByteArray damaged(QByteArray bytes, Change change)
{
    const std::optional<DeclaredFile> file = ReadDeclaredHeader([&](qint64 offset, qint64 count) { return bytes.mid(offset, count); });
    if (!file)
        return {};
    const qsizetype index = file->dataOffset + qsizetype(file->dataSize);
    const qsizetype middle = file->dataOffset + AsfDataHeaderSize + qsizetype(file->packets / 2 * file->packetSize);
    if (change == Change::OutputCutShort)
        bytes.chop(3000);
    else if (change == Change::IndexZeroed)
        bytes.replace(index, bytes.size() - index, QByteArray(bytes.size() - index, '\0'));
    else if (change == Change::PacketZeroed)
        bytes.replace(middle, file->packetSize, QByteArray(file->packetSize, '\0'));
    return bytes;
}

// Every entry of a folder, hidden ones included.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList jobs(int count)
{
    return {QStringLiteral("WM8EUTIL_JOBS=%1").arg(count)};
}

// The lines of a console stream, without the progress lines, which are rewritten in place.
QStringList consoleLines(const QString &stream)
{
    QStringList lines;
    for (const QString &line : stream.split(u'\n', Qt::SkipEmptyParts))
        if (!line.contains(u'\r'))
            lines += line;
    return lines;
}

// The files' blocks of lines on the output, each from its "Source" line to the next file's or the
// folder's summary, and the summary.
struct FolderConsole {
    QStringList blocks;
    QString summary;
};

FolderConsole folderConsole(const QString &out)
{
    FolderConsole console;
    for (const QString &line : consoleLines(out)) {
        if (line.startsWith(QLatin1String("Folder    ")) || !console.summary.isEmpty())
            console.summary += line + u'\n';
        else if (line.startsWith(QLatin1String("Source    ")) || console.blocks.isEmpty())
            console.blocks += line + u'\n';
        else
            console.blocks.last() += line + u'\n';
    }
    return console;
}

// The name of the output or source a console line names, without folder or extension.
QString stemOf(const QString &line)
{
    return QFileInfo(line.mid(10)).completeBaseName();
}

// Whether every line of the block that names a file names the block's own source's output.
bool keptTogether(const QString &block)
{
    const QStringList lines = block.split(u'\n', Qt::SkipEmptyParts);
    const QString source = stemOf(lines.first());
    for (const QString &line : lines)
        if ((line.startsWith(QLatin1String("Output    ")) || line.startsWith(QLatin1String("Written   "))) && stemOf(line) != source)
            return false;
    return true;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Sends the signal the given time after the utility has begun to write into the folder, and returns
// how it ended.
struct Ending {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 msAfterSignal = -1;
};

Ending stopWhileWriting(const QStringList &arguments, const QStringList &environment, const QString &folder, int signal, int delayMs)
{
    const qsizetype before = entries(folder).size();
    QProcess process;
    process.setProcessEnvironment(UtilityEnvironment(environment));
    process.start(UtilityPath(), arguments);
    QElapsedTimer waited;
    waited.start();
    while (entries(folder).size() == before && process.state() != QProcess::NotRunning && waited.elapsed() < 30000)
        process.waitForFinished(10);
    process.waitForFinished(delayMs);
    Ending ending;
    if (process.state() != QProcess::Running)
        return ending;
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    kill(pid_t(process.processId()), signal);
    process.waitForFinished(30000);
    ending.msAfterSignal = sinceSignal.elapsed();
    ending.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ending.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    ending.err = QString::fromLocal8Bit(process.readAllStandardError());
    return ending;
}

} // namespace

class EncoderThreadsTest : public QObject, private MediaAndWorkFolders {
    Q_OBJECT

private slots:
    void initTestCase();

    // A folder side by side
    void sideBySideEndsAsOneAfterAnother_data();
    void sideBySideEndsAsOneAfterAnother();
    void anEarlierFileClaimsASharedOutputFirst();
    void fullDiskFailsEveryFileBeingWritten_data();
    void fullDiskFailsEveryFileBeingWritten();
    void jobsOutsideTheirRangeAreRefused_data();
    void jobsOutsideTheirRangeAreRefused();
    void memoryRunningOutEndsInOrder();

    // A library
    void aStoppedRunGoesOn_data();
    void aStoppedRunGoesOn();
    void listedJobsWriteWhatTheFolderRunWrites_data();
    void listedJobsWriteWhatTheFolderRunWrites();
    void aListThatCannotBeWrittenFails_data();
    void aListThatCannotBeWrittenFails();
    void aLongSummaryStaysShort();

    // One file in threads
    void threadsWriteWhatOneThreadWrites_data();
    void threadsWriteWhatOneThreadWrites();

    // One picture in pieces
    void picturesAreCutEvenly_data();
    void picturesAreCutEvenly();
    void piecesSeeAroundThemselves();
    void piecesJoinWithoutSeams_data();
    void piecesJoinWithoutSeams();
    void jointsLeaveOutTheFewestFrames_data();
    void jointsLeaveOutTheFewestFrames();
    void piecesKeepTheBufferAtTheirJoints();
    void progressCountsDroppedFrames_data();
    void progressCountsDroppedFrames();
    void piecesPickTheFramesOnePieceDoes_data();
    void piecesPickTheFramesOnePieceDoes();
    void aSourceShorterThanItsHeaderIsReadToItsEnd();
    void aFailedPieceIsToldAtOnce();

    // Stopping
    void outputPipedToAnEndedProgramFinishes_data();
    void outputPipedToAnEndedProgramFinishes();
    void stopEndsEveryFileSideBySide_data();
    void stopEndsEveryFileSideBySide();
    void stopEndsAnEncodeInThreadsAtAnyPoint_data();
    void stopEndsAnEncodeInThreadsAtAnyPoint();
};

void EncoderThreadsTest::initTestCase()
{
    QVERIFY(foldersMade());
    const QStringList picture = Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=15"});
    const QStringList sound = Arguments({"-f", "lavfi", "-i", "sine=sample_rate=22050"});
    makeMedia(QStringLiteral("clip.avi"), picture + sound + Arguments({"-t", "2", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
    makeMedia(QStringLiteral("clip.mp4"), picture + sound + Arguments({"-t", "1", "-c:v", "mpeg4", "-c:a", "aac"}));
    makeMedia(QStringLiteral("silent.avi"), picture + Arguments({"-t", "2", "-c:v", "mpeg4"}));
    makeMedia(QStringLiteral("tone.wav"), sound + Arguments({"-t", "1.5"}));
    QVERIFY(!MakeTurnedClip(mediaFolder(), QStringLiteral("turned.mp4"), 160, 90, 90).isEmpty());
    makeMedia(QStringLiteral("long.avi"), picture + sound + Arguments({"-t", "10", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
    makeMedia(QStringLiteral("longer.mp4"), picture + sound + Arguments({"-t", "24", "-c:v", "mpeg4", "-c:a", "aac"}));
    // No index, and a key frame every 10 s: a piece's seek lands past the key frame it needs.
    makeMedia(QStringLiteral("broadcast.ts"), picture + sound + Arguments({"-t", "16", "-c:v", "mpeg2video", "-g", "150", "-bf", "0",
                                                                         "-c:a", "mp2"}));
    // A phone's picture: frames 1/30 s apart with a jitter, as a phone's clock gives them.
    makeMedia(QStringLiteral("phone.mkv"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=30", "-t", "12", "-vf",
                         "setpts='PTS+0.4*random(0)/30/TB'", "-fps_mode", "vfr", "-c:v", "mpeg4"}));
    // Grain on a moving picture, more than a low rate holds at its size: the pieces end with the
    // player's buffer nearly full.
    makeMedia(QStringLiteral("grain.avi"), Arguments({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-t", "24", "-vf",
                                                      "noise=alls=12:allf=t", "-c:v", "mpeg4", "-q:v", "4"}));
    // Each frame a grey of its own, so that a frame of the output tells which frame of the source it
    // shows; and the same as a raw H.264 stream, which holds no timestamps and cannot seek.
    const QStringList counter = Arguments({"-f", "lavfi", "-i", "nullsrc=s=64x48:r=25:d=40,format=yuv420p,"
                                                                "geq=lum='16+mod(N*3,216)':cb=128:cr=128"});
    makeMedia(QStringLiteral("counter.avi"), counter + Arguments({"-c:v", "mpeg4", "-q:v", "1"}));
    makeMedia(QStringLiteral("counter.h264"), counter + Arguments({"-c:v", "libx264", "-qp", "0", "-g", "25"}));
    // A slide show of the counter: one frame in 90, each on screen until the next.
    makeMedia(QStringLiteral("counted-slides.mkv"),
              counter + Arguments({"-vf", "select='not(mod(n,90))'", "-fps_mode", "passthrough", "-c:v", "mpeg4", "-q:v", "1"}));
    // A download cut off at a sixth: its index, at the front, announces six minutes.
    makeMedia(QStringLiteral("whole.mp4"), Arguments({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=15", "-t", "360", "-c:v",
                                                      "libx264", "-preset", "ultrafast", "-movflags", "+faststart"}));
    const QByteArray whole = bytesOf(media(QStringLiteral("whole.mp4")));
    writeFile(media(QStringLiteral("cut-off.mp4")), whole.left(whole.size() / 6));
    // Long enough for each pass to take a second or more.
    makeMedia(QStringLiteral("slow.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=640x480:rate=25", "-t", "60", "-c:v", "mpeg4", "-q:v", "10"}));
    // The same without its index, as a cut-off download is: a seek lands at the start.
    const QByteArray slow = bytesOf(media(QStringLiteral("slow.avi")));
    writeFile(media(QStringLiteral("slow-unindexed.avi")), slow.left(slow.lastIndexOf("idx1")));
    // The muxer holds one stream's packets until the other's come, and after ten seconds writes them
    // anyway: the order in which the packets reach it then shows in the file.
    makeMedia(QStringLiteral("late-sound.mkv"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=15:duration=14", "-itsoffset", "11",
                         "-f", "lavfi", "-i", "sine=sample_rate=22050:duration=3", "-c:v", "mpeg4",
                         "-c:a", "pcm_s16le"}));
    makeMedia(QStringLiteral("late-picture.mkv"),
              Arguments({"-itsoffset", "11", "-f", "lavfi", "-i", "testsrc2=size=64x48:rate=15:duration=3",
                         "-f", "lavfi", "-i", "sine=sample_rate=22050:duration=14", "-c:v", "mpeg4",
                         "-c:a", "pcm_s16le"}));
    makeMedia(QStringLiteral("busy.avi"),
              Arguments({"-f", "lavfi", "-i", "mandelbrot=size=320x240:rate=25", "-t", "3", "-c:v", "mpeg4", "-q:v", "2"}));
    makeMedia(QStringLiteral("interlaced.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=50", "-t", "1", "-vf",
                         "tinterlace=interleave_top", "-flags", "+ilme+ildct", "-c:v", "mpeg4"}));
    // A WAV whose format tag claims MP3 for its PCM samples: nothing of it can be decoded.
    QByteArray lying = bytesOf(media(QStringLiteral("tone.wav")));
    lying[20] = 0x55;
    writeFile(media(QStringLiteral("lying.wav")), lying);
    writeFile(media(QStringLiteral("notes.txt")), "not a media file\n");
}

void EncoderThreadsTest::sideBySideEndsAsOneAfterAnother_data()
{
    QTest::addColumn<int>("atOnce");
    QTest::newRow("two at once") << 2;
    QTest::newRow("four at once") << 4;
}

// Files of every kind, and two of one name whose outputs would be the same file: the earlier keeps it.
void EncoderThreadsTest::sideBySideEndsAsOneAfterAnother()
{
    QFETCH(int, atOnce);
    const QString source = folderOf(QStringLiteral("kinds-%1").arg(atOnce),
                                    {{u"clip.avi"_s, u"a.avi"_s}, {u"clip.mp4"_s, u"a.mp4"_s}, {u"tone.wav"_s, u"b.wav"_s},
                                     {u"turned.mp4"_s, u"c.mp4"_s}, {u"silent.avi"_s, u"d.avi"_s}, {u"lying.wav"_s, u"e.wav"_s},
                                     {u"notes.txt"_s, u"notes.txt"_s}});
    const QString inTurn = source + QStringLiteral("-in-turn");
    const QString sideBySide = source + QStringLiteral("-side-by-side");
    const UtilityRun one = RunUtilityProcess(Arguments({"-input", source, "-output", inTurn}), {}, jobs(1));
    const UtilityRun many = RunUtilityProcess(Arguments({"-input", source, "-output", sideBySide}), {}, jobs(atOnce));

    QCOMPARE(one.exitCode, 3);
    QCOMPARE(many.exitCode, one.exitCode);
    QCOMPARE(entries(sideBySide), (QStringList{u"a.wmv"_s, u"b.wma"_s, u"c.wmv"_s, u"d.wmv"_s}));
    QCOMPARE(entries(inTurn), entries(sideBySide));
    for (const QString &name : entries(inTurn))
        QVERIFY2(bytesOf(inTurn + u'/' + name) == bytesOf(sideBySide + u'/' + name), qPrintable(name));
    QVERIFY2(many.err.contains(QStringLiteral("a.mp4 would write %1/a.wmv again").arg(sideBySide)), qPrintable(many.err));

    const FolderConsole sequential = folderConsole(QString(one.out).replace(inTurn, sideBySide));
    const FolderConsole parallel = folderConsole(many.out);
    QCOMPARE(parallel.summary, sequential.summary);
    QVERIFY2(parallel.summary.startsWith(QLatin1String("Folder    4 encoded, 2 failed, 0 differing from what was asked, 1 skipped")),
             qPrintable(parallel.summary));
    QCOMPARE(sorted(parallel.blocks), sorted(sequential.blocks));
    for (const QString &block : parallel.blocks)
        QVERIFY2(keptTogether(block), qPrintable(many.out));
    QCOMPARE(sorted(consoleLines(many.err)), sorted(consoleLines(QString(one.err).replace(inTurn, sideBySide))));
    // The progress line tells of the whole run.
    for (const QString &out : {one.out, many.out})
        QVERIFY2(out.contains(QLatin1String("\r7 of 7 files, 100 %")), qPrintable(out));
}

// However the files run, an earlier file's claim on an output comes first.
void EncoderThreadsTest::anEarlierFileClaimsASharedOutputFirst()
{
    OutputClaims claims(2);
    const QString output = QStringLiteral("/out/a.wmv");
    bool laterClaimed = true;
    const auto unclaimed = [&](const QSet<QString> &claimed) { return !claimed.contains(output); };
    QThread *later = QThread::create([&] { laterClaimed = claims.claim(1, output, unclaimed); });
    later->start();
    QVERIFY(!later->wait(200)); // waits for the earlier file
    QVERIFY(claims.claim(0, output, unclaimed));
    QVERIFY(later->wait(10000));
    delete later;
    QVERIFY(!laterClaimed);

    // A file that fails before it claims lets the later ones go on.
    OutputClaims failing(2);
    failing.settle(0);
    QVERIFY(failing.claim(1, output, unclaimed));
}

void EncoderThreadsTest::fullDiskFailsEveryFileBeingWritten_data()
{
    QTest::addColumn<int>("atOnce");
    QTest::newRow("one after another") << 1;
    QTest::newRow("side by side") << 2;
}

// The file size limit stands in for a full disk: writing past it fails as writing to a full disk does.
// The WAV that cannot be decoded comes first and leaves FFmpeg's complaints, which are not the
// reason why the other files fail.
void EncoderThreadsTest::fullDiskFailsEveryFileBeingWritten()
{
    QFETCH(int, atOnce);
    const QString source = folderOf(QStringLiteral("full-%1").arg(atOnce),
                                    {{u"lying.wav"_s, u"0.wav"_s}, {u"long.avi"_s, u"a.avi"_s}, {u"long.avi"_s, u"b.avi"_s}});
    const QString target = source + QStringLiteral("-encoded");
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", source, "-output", target}), [] {
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    }, jobs(atOnce));
    QCOMPARE(run.exitCode, 3);
    for (const char *name : {"a.wmv", "b.wmv"})
        QVERIFY2(run.err.contains(QStringLiteral("Cannot write %1/%2: File too large\n").arg(target, QLatin1String(name))),
                 qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QLatin1String("Folder    0 encoded, 3 failed")), qPrintable(run.out));
    QCOMPARE(entries(target), QStringList());
}

void EncoderThreadsTest::jobsOutsideTheirRangeAreRefused_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("none") << "0";
    QTest::newRow("more than 64") << "65";
    QTest::newRow("a word") << "two";
    QTest::newRow("empty") << "";
    QTest::newRow("negative") << "-1";
}

// For a folder and for a single file alike.
void EncoderThreadsTest::jobsOutsideTheirRangeAreRefused()
{
    QFETCH(QString, value);
    const QString source = folderOf(QStringLiteral("refused"), {{u"tone.wav"_s, u"a.wav"_s}});
    for (const QString &input : QStringList{source, source + QStringLiteral("/a.wav")}) {
        const QString target = source + QStringLiteral("-encoded");
        const UtilityRun run = RunUtilityProcess(Arguments({"-input", input, "-output", target}), {}, {u"WM8EUTIL_JOBS="_s + value});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("WM8EUTIL_JOBS \"%1\" is not allowed; it takes how many files of a folder, or "
                                                 "pieces of one file's picture, are encoded at once, from 1 to 64.").arg(value)),
                 qPrintable(Describe(run)));
        QVERIFY(!QFileInfo::exists(target));
    }
}

void EncoderThreadsTest::threadsWriteWhatOneThreadWrites_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::newRow("sound 11 s after the picture") << "late-sound.mkv" << QStringList{};
    QTest::newRow("picture 11 s after the sound") << "late-picture.mkv" << QStringList{};
    QTest::newRow("a section") << "long.avi" << Arguments({"-time", "2500", "6000"});
    QTest::newRow("two passes") << "clip.avi" << Arguments({"-v_mode", "1", "-v_bitrate", "100000"});
    QTest::newRow("frames dropped to hold the rate") << "busy.avi" << Arguments({"-v_bitrate", "60000", "-v_buffer", "1000"});
    QTest::newRow("deinterlaced at double rate") << "interlaced.avi" << Arguments({"-v_preproc", "3"});
    QTest::newRow("turned upright") << "turned.mp4" << Arguments({"-v_mode", "2"});
    QTest::newRow("sound alone") << "tone.wav" << QStringList{};
}

// A file encoded alone in one piece runs in threads; files side by side each run in one thread.
// Both write the same bytes.
void EncoderThreadsTest::threadsWriteWhatOneThreadWrites()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    const QString extension = source.endsWith(QLatin1String(".wav")) ? QStringLiteral(".wma") : QStringLiteral(".wmv");
    const QString alone = work(QStringLiteral("alone-%1%2").arg(QString::fromUtf8(QTest::currentDataTag()), extension));
    const UtilityRun threaded = RunUtilityProcess(Arguments({"-input", media(source), "-output", alone}) + switches, {}, jobs(1));
    QVERIFY2(threaded.exitCode == 0, qPrintable(Describe(threaded)));

    const QString folder = folderOf(QStringLiteral("twins-") + source, {{source, u"a"_s + source}, {source, u"b"_s + source}});
    const QString target = folder + QStringLiteral("-encoded");
    const UtilityRun inOneThread = RunUtilityProcess(Arguments({"-input", folder, "-output", target}) + switches, {}, jobs(2));
    QCOMPARE(inOneThread.exitCode, threaded.exitCode);
    const QByteArray written = bytesOf(alone);
    QVERIFY(!written.isEmpty());
    for (const QString &name : entries(target))
        QVERIFY2(bytesOf(target + u'/' + name) == written, qPrintable(name));
    QCOMPARE(entries(target).size(), 2);
}

namespace {

EncodePlan pictureOf(double seconds, RateMode mode = RateMode::CbrOnePass, Preprocessing preprocessing = Preprocessing::None)
{
    EncodePlan plan;
    plan.picture.emplace();
    plan.picture->frameRate = {30, 1};
    plan.picture->keyDistance = 8;
    plan.picture->mode = mode;
    plan.picture->preprocessing = preprocessing;
    plan.duration = seconds;
    return plan;
}

} // namespace

void EncoderThreadsTest::picturesAreCutEvenly_data()
{
    QTest::addColumn<EncodePlan>("plan");
    QTest::addColumn<int>("atOnce");
    QTest::addColumn<QList<int>>("lengths"); // in frames; none where the picture stays whole
    QTest::newRow("two cores") << pictureOf(20) << 2 << QList<int>{300, 300};
    QTest::newRow("three cores, not a whole frame each") << pictureOf(20) << 3 << QList<int>{200, 200, 200};
    QTest::newRow("eight cores, pieces no shorter than 5 s") << pictureOf(12) << 8 << QList<int>{180, 180};
    QTest::newRow("the last piece shorter") << pictureOf(10.5) << 2 << QList<int>{158, 157};
    QTest::newRow("an hour on two cores, 30 s at most") << pictureOf(3600) << 2 << QList<int>(120, 900);
    QTest::newRow("under 10 s") << pictureOf(9.9) << 2 << QList<int>{};
    QTest::newRow("one core") << pictureOf(60) << 1 << QList<int>{};
    QTest::newRow("length not known") << pictureOf(0) << 2 << QList<int>{};
    QTest::newRow("two passes, variable rate") << pictureOf(60, RateMode::VbrTwoPass) << 2 << QList<int>{};
    QTest::newRow("two passes, constant rate") << pictureOf(20, RateMode::CbrTwoPass) << 2 << QList<int>{300, 300};
    QTest::newRow("inverse telecine") << pictureOf(60, RateMode::CbrOnePass, Preprocessing::InverseTelecine) << 2
                                      << QList<int>{};
    EncodePlan sound = pictureOf(60);
    sound.picture.reset();
    QTest::newRow("sound alone") << sound << 2 << QList<int>{};
}

// Each piece follows the one before without a gap, and the last runs to the section's end, however
// long the source turns out to be.
void EncoderThreadsTest::picturesAreCutEvenly()
{
    QFETCH(EncodePlan, plan);
    QFETCH(int, atOnce);
    QFETCH(QList<int>, lengths);
    const std::vector<PicturePiece> pieces = SplitPicture(plan, atOnce);
    QCOMPARE(qsizetype(pieces.size()), lengths.size());
    int64_t next = 0;
    for (size_t index = 0; index < pieces.size(); ++index) {
        QCOMPARE(pieces[index].firstFrame, next);
        next += lengths[qsizetype(index)];
        if (index + 1 < pieces.size())
            QCOMPARE(pieces[index].endFrame, std::optional<int64_t>(next));
    }
    if (!pieces.empty())
        QVERIFY(!pieces.back().endFrame);
}

// A piece's filters see a second of the source on each side of it, never outside the section, and
// keep the section's timeline: their time 0 is the section's start.
void EncoderThreadsTest::piecesSeeAroundThemselves()
{
    EncodePlan plan = pictureOf(20);
    plan.start = 3.5;
    plan.end = 23.5;
    const std::vector<PicturePiece> pieces = SplitPicture(plan, 2);
    QCOMPARE(pieces.size(), size_t(2));
    const Trim first = PieceTrim(plan, pieces[0]);
    QCOMPARE(first.start, 3.5);
    QCOMPARE(first.origin, 3.5);
    QCOMPARE(first.end, std::optional(14.5));
    const Trim second = PieceTrim(plan, pieces[1]);
    QCOMPARE(second.start, 12.5);
    QCOMPARE(second.origin, 3.5);
    QCOMPARE(second.end, std::optional(23.5));
    QCOMPARE(PieceStart(plan, pieces[1]), 10.0);
}

void EncoderThreadsTest::piecesJoinWithoutSeams_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::newRow("one pass") << "long.avi" << QStringList{};
    QTest::newRow("two passes") << "long.avi" << Arguments({"-v_mode", "1", "-v_bitrate", "100000"});
    QTest::newRow("fixed quality") << "long.avi" << Arguments({"-v_mode", "2"});
    QTest::newRow("a key frame every 2 s") << "long.avi" << Arguments({"-v_keydist", "2"});
    QTest::newRow("most frames dropped to hold the rate, a key frame every 2 s")
        << "grain.avi" << Arguments({"-v_bitrate", "30000", "-v_keydist", "2"});
    QTest::newRow("a section") << "longer.mp4" << Arguments({"-time", "3300", "21700"});
    QTest::newRow("another frame rate") << "longer.mp4" << Arguments({"-v_framerate", "24"});
    QTest::newRow("a phone's uneven frames") << "phone.mkv" << QStringList{};
    QTest::newRow("a stream without an index") << "broadcast.ts" << QStringList{};
    QTest::newRow("picture 11 s after the sound, a first piece without frames") << "late-picture.mkv" << QStringList{};
    QTest::newRow("two passes, a first piece without frames") << "late-picture.mkv" << Arguments({"-v_mode", "1"});
}

// Cut into pieces, the picture keeps every frame where it was in one piece, none lost or doubled at
// a joint; no key frame is further than asked from the next; the sound is written as it is beside
// one piece; and the file is checked as asked. Where a joint would leave out a long stretch of
// picture to hold the rate, the picture is encoded in one piece.
void EncoderThreadsTest::piecesJoinWithoutSeams()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    const QString whole = work(QStringLiteral("whole-%1.wmv").arg(tag));
    const QString pieces = work(QStringLiteral("pieces-%1.wmv").arg(tag));
    const UtilityRun inOne = RunUtilityProcess(Arguments({"-input", media(source), "-output", whole}) + switches, {}, jobs(1));
    QVERIFY2(inOne.exitCode == 0, qPrintable(Describe(inOne)));
    const UtilityRun inPieces = RunUtilityProcess(Arguments({"-input", media(source), "-output", pieces}) + switches, {}, jobs(2));
    QVERIFY2(inPieces.exitCode == inOne.exitCode, qPrintable(Describe(inPieces)));

    const WrittenMedia one = ReadMedia(whole);
    const WrittenMedia cut = ReadMedia(pieces);
    QVERIFY(cut.readable);
    QCOMPARE(cut.picture, one.picture);
    QCOMPARE(cut.pictureStarts, one.pictureStarts);
    QCOMPARE(cut.sound, one.sound);
    QCOMPARE(cut.soundBytes, one.soundBytes);
    QCOMPARE(cut.duration, one.duration);
    const int keyDistance = switches.contains(u"-v_keydist"_s) ? 2 : 8;
    QVERIFY(!cut.keyFrameStarts.isEmpty());
    QCOMPARE(cut.keyFrameStarts.first(), cut.pictureStarts.first());
    QVector<double> keys = cut.keyFrameStarts;
    keys += cut.pictureStarts.last();
    for (qsizetype key = 1; key < keys.size(); ++key)
        QVERIFY2(keys[key] - keys[key - 1] <= keyDistance + 0.001, qPrintable(QString::number(keys[key])));
}

void EncoderThreadsTest::jointsLeaveOutTheFewestFrames_data()
{
    // At 1000 bit/s into a buffer of 1000 bits; the piece after was encoded as if it held 500.
    QTest::addColumn<std::vector<TimedFrame>>("before");
    QTest::addColumn<std::vector<TimedFrame>>("after");
    QTest::addColumn<bool>("keepFirst"); // the frames before begin with their piece's key frame
    QTest::addColumn<size_t>("leftOut");
    const std::vector<TimedFrame> filling{{0, 600}, {0.1, 300}, {0.2, 300}}; // leaves 900 bits at 0.3 s
    QTest::newRow("room enough") << std::vector<TimedFrame>{{0, 100}, {0.1, 100}, {0.2, 100}}
                                 << std::vector<TimedFrame>{{0.3, 400}} << true << size_t(0);
    QTest::newRow("a full buffer at the joint") << filling << std::vector<TimedFrame>{{0.3, 500}} << true << size_t(2);
    QTest::newRow("over later in the piece after") << filling << std::vector<TimedFrame>{{0.3, 400}, {0.35, 700}} << true << size_t(2);
    // 1300 bits from the fullness it was encoded for: no fewer frames than that asks are left out.
    QTest::newRow("over on its own") << std::vector<TimedFrame>{{0, 200}, {0.1, 300}, {0.2, 300}, {0.3, 300}}
                                     << std::vector<TimedFrame>{{0.4, 800}} << true << size_t(1);
    QTest::newRow("a piece keeps its key frame") << std::vector<TimedFrame>{{0, 1000}, {0.1, 100}}
                                                 << std::vector<TimedFrame>{{0.2, 900}} << true << size_t(1);
    QTest::newRow("a held tail may go whole") << std::vector<TimedFrame>{{0, 1000}, {0.1, 100}}
                                              << std::vector<TimedFrame>{{0.2, 900}} << false << size_t(2);
    QTest::newRow("nothing after") << filling << std::vector<TimedFrame>{} << true << size_t(0);
}

// Where a piece leaves the player's buffer fuller than the next one was encoded for, the fewest of
// its last frames are left out that keep the next one within the buffer, or no further over it than
// it goes on its own.
void EncoderThreadsTest::jointsLeaveOutTheFewestFrames()
{
    QFETCH(std::vector<TimedFrame>, before);
    QFETCH(std::vector<TimedFrame>, after);
    QFETCH(bool, keepFirst);
    QFETCH(size_t, leftOut);
    QCOMPARE(FramesToLeaveOut(LeakyBucket(1000), 1000, before, after, 500, keepFirst), leftOut);
}

// A picture in pieces holds its constant rate across the joints as in one piece: a player that
// receives it at that rate never waits, though each piece's rate control began afresh.
void EncoderThreadsTest::piecesKeepTheBufferAtTheirJoints()
{
    const QString out = work(QStringLiteral("joints.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("grain.avi")), "-output", out,
                                                        "-v_bitrate", "70000"}), {}, jobs(2));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const std::optional<PictureRate> rate = ShownPictureRate(run.out);
    QVERIFY2(rate, qPrintable(run.out));
    const double wait = ReadMedia(out).longestPictureWait(rate->bitRate, rate->bufferSeconds);
    QVERIFY2(wait <= rate->allowedWait(), qPrintable(QStringLiteral("a player waits %1 s").arg(wait)));
}

namespace {

// Every progress report of an encode.
class ProgressRecorder : public EncodeObserver {
public:
    void note(const QString &) override {}
    void progress(const EncodeProgress &progress) override { reports.push_back(progress); }
    std::vector<EncodeProgress> reports;
};

} // namespace

void EncoderThreadsTest::progressCountsDroppedFrames_data()
{
    QTest::addColumn<int>("pieces");
    QTest::newRow("in one piece") << 1;
    QTest::newRow("in pieces") << 2;
}

// Frames dropped to hold the rate are done with as much as those encoded: before the pass ends, its
// progress has come to the last frame, and its speed counts every frame.
void EncoderThreadsTest::progressCountsDroppedFrames()
{
    QFETCH(int, pieces);
    const QString source = media(QStringLiteral("grain.avi"));
    const QString out = work(QStringLiteral("progress-%1.wmv").arg(pieces));
    const SourceFacts facts = ProbeSource(source);
    const EncodePlan plan = PlanEncode(ParseSettings(CollectSwitches(Arguments({"-input", source, "-output", out, "-v_bitrate", "70000"}))),
                                       facts);
    ProgressRecorder recorder;
    const EncodeResult result = EncodeFile(facts, plan, out, recorder, {true, pieces});
    QVERIFY(result.rate.dropped > 0);
    QVERIFY(recorder.reports.size() > 2);
    const int frames = int(std::lround(plan.duration * av_q2d(plan.picture->frameRate)));
    // The last report tells the pass is over; the one before, how far the frames had come.
    const EncodeProgress &beforeTheEnd = recorder.reports[recorder.reports.size() - 2];
    QCOMPARE(beforeTheEnd.frames, frames);
    QVERIFY2(beforeTheEnd.done > 0.99, qPrintable(QString::number(beforeTheEnd.done)));
}

// The grey of each frame of a file's picture, as the frame of the counter it shows.
QList<int> countedFrames(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), Arguments({"-v", "error", "-i"}) + QStringList{path}
                                               + Arguments({"-vf", "scale=8:6,format=gray", "-f", "rawvideo", "-"}));
    ffmpeg.waitForFinished(60000);
    const QByteArray grey = ffmpeg.readAllStandardOutput();
    QList<int> frames;
    for (qsizetype first = 0; first + 48 <= grey.size(); first += 48) {
        int total = 0;
        for (qsizetype i = first; i < first + 48; ++i)
            total += quint8(grey[i]);
        frames += (total + 24) / 48;
    }
    return frames;
}

void EncoderThreadsTest::piecesPickTheFramesOnePieceDoes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("atOnce");
    QTest::newRow("25 to 29.97 fps, four pieces") << "counter.avi" << Arguments({"-v_framerate", "29.97"}) << 4;
    QTest::newRow("a raw stream that cannot seek, two threads for four pieces")
        << "counter.h264" << Arguments({"-time", "0", "40000", "-v_framerate", "30"}) << 2;
    QTest::newRow("a slide on screen across the joint") << "counted-slides.mkv" << QStringList{} << 2;
}

// Each piece shows exactly the source frames that one piece shows at the same places: a change of
// frame rate keeps its phase across the joints, a piece starts with the frame on screen there,
// however long before it began, and a thread whose source cannot seek starts its next piece from
// the source's beginning rather than from where the last one ended.
void EncoderThreadsTest::piecesPickTheFramesOnePieceDoes()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    QFETCH(int, atOnce);
    const QString tag = QString::fromUtf8(QTest::currentDataTag()).left(8);
    const QString whole = work(QStringLiteral("counted-whole-%1.wmv").arg(tag));
    const QString pieces = work(QStringLiteral("counted-pieces-%1.wmv").arg(tag));
    const QStringList encode = Arguments({"-input"}) + QStringList{media(source)} + Arguments({"-v_mode", "2", "-v_quality", "100"}) + switches;
    const UtilityRun inOne = RunUtilityProcess(encode + QStringList{u"-output"_s, whole}, {}, jobs(1));
    QVERIFY2(inOne.exitCode == 0, qPrintable(Describe(inOne)));
    const UtilityRun inPieces = RunUtilityProcess(encode + QStringList{u"-output"_s, pieces}, {}, jobs(atOnce));
    QVERIFY2(inPieces.exitCode == 0, qPrintable(Describe(inPieces)));
    const QList<int> one = countedFrames(whole);
    const QList<int> cut = countedFrames(pieces);
    QVERIFY(one.size() > 900);
    QCOMPARE(cut.size(), one.size());
    for (qsizetype frame = 0; frame < one.size(); ++frame)
        QVERIFY2(std::abs(cut[frame] - one[frame]) <= 1, qPrintable(QStringLiteral("frame %1: %2, in one piece %3").arg(frame).arg(cut[frame]).arg(one[frame])));
}

// A download cut off at a sixth of what its index announces, on eight threads: the pieces past the
// real end have nothing to encode, and the file holds what could be read, said in a note.
void EncoderThreadsTest::aSourceShorterThanItsHeaderIsReadToItsEnd()
{
    const QString out = work(QStringLiteral("cut-off.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("cut-off.mp4")), "-output", out, "-v_mode", "2"}),
                                             {}, jobs(8));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const QRegularExpressionMatch gave =
        QRegularExpression(QStringLiteral("Note      The source gave (\\d+\\.\\d{3}) s, not the 360\\.000 s")).match(run.out);
    QVERIFY2(gave.hasMatch() && gave.captured(1).toDouble() > 30 && gave.captured(1).toDouble() < 90, qPrintable(run.out));
    const WrittenMedia written = ReadMedia(out);
    QVERIFY(!written.pictureStarts.isEmpty());
    QVERIFY2(std::abs(written.pictureStarts.last() - gave.captured(1).toDouble()) < 0.2, qPrintable(QString::number(written.pictureStarts.last())));
}

// While the pieces before it still run, a piece that fails ends the encode at once: the pieces under
// way are called off, and its failure is raised.
void EncoderThreadsTest::aFailedPieceIsToldAtOnce()
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    PieceWorkers workers(2, 2, [](size_t piece, PieceThread &, const std::atomic<bool> &calledOff) -> EncodedPiece {
        if (piece == 1)
            throw Failure(QStringLiteral("the second piece failed"));
        QElapsedTimer running;
        running.start();
        while (!calledOff && running.elapsed() < 10000)
            QThread::msleep(5);
        throw Cancelled();
    });
    try {
        workers.next([] {});
        QFAIL("the first piece came back");
    } catch (const Failure &failure) {
        QCOMPARE(failure.message(), QStringLiteral("the second piece failed"));
    }
    QVERIFY2(sinceStart.elapsed() < 1000, qPrintable(QString::number(sinceStart.elapsed())));
}

// The utility's output piped into a program that reads the first lines and ends: the encode goes
// on to its end, as asked, and leaves nothing half-written.
void EncoderThreadsTest::outputPipedToAnEndedProgramFinishes_data()
{
    QTest::addColumn<QString>("redirection");
    QTest::newRow("piped into head") << u"| head -c 100 >/dev/null"_s;
    // The files the utility opens would take the closed descriptors, and the console's lines would
    // land in them.
    QTest::newRow("output and errors closed") << u">&- 2>&-"_s;
}

void EncoderThreadsTest::outputPipedToAnEndedProgramFinishes()
{
    QFETCH(QString, redirection);
    const QString folder = work(QStringLiteral("piped-%1").arg(QLatin1String(QTest::currentDataTag())).replace(u' ', u'-'));
    const QString source = folderOf(QStringLiteral("piped-source"), {{u"longer.mp4"_s, u"longer.mp4"_s}, {u"clip.avi"_s, u"clip.avi"_s}});
    QProcess shell;
    shell.setProcessEnvironment(UtilityEnvironment(jobs(2)));
    shell.start(QStringLiteral("bash"), {u"-c"_s, u"\"$0\" -input \"$1\" -output \"$2\" "_s + redirection + u"; exit ${PIPESTATUS[0]}"_s,
                                         UtilityPath(), source, folder});
    QVERIFY(shell.waitForFinished(120000));
    QCOMPARE(shell.exitCode(), 0);
    QCOMPARE(entries(folder), (QStringList{u"clip.wmv"_s, u"longer.wmv"_s}));
    QVERIFY(ReadMedia(folder + QStringLiteral("/longer.wmv")).pictureStarts.size() > 20 * 15);
    QVERIFY(ReadMedia(folder + QStringLiteral("/clip.wmv")).pictureStarts.size() == 2 * 15);
}

// A folder encoded side by side under a limit on memory: whatever runs out, and on whichever thread,
// each file that cannot be done is told and left out, and the utility ends by itself, leaving no
// half-written file.
void EncoderThreadsTest::memoryRunningOutEndsInOrder()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("AddressSanitizer reserves terabytes of address space for its shadow memory, which no limit on the address "
          "space this test can set leaves room for: the utility would end before it starts.");
#endif
    const QString source = folderOf(QStringLiteral("memory"), {{u"clip.avi"_s, u"a.avi"_s}, {u"longer.mp4"_s, u"b.mp4"_s},
                                                               {u"slow.avi"_s, u"c.avi"_s}, {u"tone.wav"_s, u"d.wav"_s}});
    bool ranOut = false;
    for (const rlim_t megabytes : {280, 320, 360, 400}) {
        const QString target = source + QStringLiteral("-%1").arg(megabytes);
        const UtilityRun run = RunUtilityProcess(Arguments({"-input", source, "-output"}) + QStringList{target},
                                                 [megabytes] {
                                                     const rlimit limit{megabytes << 20, megabytes << 20};
                                                     setrlimit(RLIMIT_AS, &limit);
                                                 },
                                                 jobs(2));
        QVERIFY2(run.exitCode == 0 || run.exitCode == 3, qPrintable(Describe(run)));
        for (const QString &name : entries(target))
            QVERIFY2(!name.endsWith(QLatin1String(".part")), qPrintable(name));
        ranOut = ranOut || run.exitCode == 3;
    }
    QVERIFY2(ranOut, "no limit was low enough for memory to run out");
}

void EncoderThreadsTest::aStoppedRunGoesOn_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("encoded");
    QTest::addColumn<int>("alreadyDone");
    QTest::addColumn<int>("differing");
    QTest::newRow("stopped at half") << Change::HalfRemoved << 2 << 2 << 0;
    QTest::newRow("a setting changed") << Change::SettingChanged << 4 << 0 << 0;
    QTest::newRow("a source touched") << Change::SourceTouched << 1 << 3 << 0;
    QTest::newRow("a source replaced under the same size and time") << Change::SourceReplaced << 1 << 3 << 0;
    QTest::newRow("an output cut short") << Change::OutputCutShort << 1 << 3 << 0;
    QTest::newRow("an output's index zeroed") << Change::IndexZeroed << 1 << 3 << 0;
    QTest::newRow("an output's packet zeroed") << Change::PacketZeroed << 1 << 3 << 0;
    QTest::newRow("outputs that differ") << Change::OutputDiffers << 0 << 4 << 4;
    QTest::newRow("outputs that differ beside older ones") << Change::DiffersBesideAnOlder << 0 << 4 << 4;
    QTest::newRow("written into the source folder itself") << Change::IntoTheSourceFolder << 0 << 4 << 0;
}

// A folder run again leaves alone what the first wrote from the same source with the same settings,
// a source cut short included, byte for byte, where it reads whole, also into the source folder
// itself, whose outputs are no sources; and encodes the rest. An output
// that differs is left alone as well, once, under the name it took, and still differs.
void EncoderThreadsTest::aStoppedRunGoesOn()
{
    QFETCH(Change, change);
    QFETCH(int, encoded);
    QFETCH(int, alreadyDone);
    QFETCH(int, differing);
    const QString tag = QString::number(int(change));
    // b.mp4 holds less than its header announces: its output lasts what it gave.
    const QString source = folderOf(u"again-"_s + tag, {{u"clip.avi"_s, u"a.avi"_s}, {u"cut-off.mp4"_s, u"b.mp4"_s},
                                                      {u"silent.avi"_s, u"c.avi"_s}, {u"tone.wav"_s, u"d.wav"_s}});
    const QString target = change == Change::IntoTheSourceFolder ? source : source + QStringLiteral("-encoded");
    // A title holding a NUL character comes back cut: every output differs.
    const QString config = work(u"again-"_s + tag + u".weu"_s);
    const QByteArray differingTitle = "-title \"a" + QByteArray(1, '\0') + "b\"\r\n";
    writeFile(config, change == Change::OutputDiffers ? differingTitle : QByteArray("-title \"ab\"\r\n"));
    const QStringList first = Arguments({"-input"}) + QStringList{source, u"-output"_s, target, u"-config"_s, config};
    QVERIFY(RunUtilityProcess(first, {}, jobs(2)).exitCode == (change == Change::OutputDiffers ? 4 : 0));
    QStringList again = first;
    const QString a = target + u"/a.wmv"_s;
    switch (change) {
    case Change::HalfRemoved:
        QVERIFY(QFile::remove(target + u"/c.wmv"_s) && QFile::remove(target + u"/d.wma"_s));
        break;
    case Change::SettingChanged: again += Arguments({"-v_bitrate", "300000"}); break;
    case Change::SourceTouched: {
        QFile touched(source + u"/b.mp4"_s);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        break;
    }
    case Change::SourceReplaced: {
        // One sample of the sound changed, and the time set back to the nanosecond, as cp -p leaves it.
        const QByteArray path = QFile::encodeName(source + u"/d.wav"_s);
        struct stat status{};
        QVERIFY(stat(path.constData(), &status) == 0);
        QByteArray bytes = bytesOf(source + u"/d.wav"_s);
        bytes[bytes.size() - 2] = char(~bytes[bytes.size() - 2]);
        writeFile(source + u"/d.wav"_s, bytes);
        const timespec times[2] = {status.st_atim, status.st_mtim};
        QVERIFY(utimensat(AT_FDCWD, path.constData(), times, 0) == 0);
        break;
    }
    case Change::OutputCutShort:
    case Change::IndexZeroed:
    case Change::PacketZeroed: writeFile(a, damaged(bytesOf(a), change)); break;
    case Change::OutputDiffers:
    case Change::IntoTheSourceFolder: break;
    case Change::DiffersBesideAnOlder: writeFile(config, differingTitle); break;
    }
    // Outputs that differ: run twice, the second run leaves the first one's alone.
    if (differing > 0 && change != Change::OutputDiffers)
        QCOMPARE(RunUtilityProcess(again, {}, jobs(2)).exitCode, 4);
    QMap<QString, QByteArray> before;
    for (const QString &name : entries(target))
        before.insert(name, bytesOf(target + u'/' + name));
    const UtilityRun run = RunUtilityProcess(again, {}, jobs(2));
    QVERIFY2(run.exitCode == (differing > 0 ? 4 : 0), qPrintable(Describe(run)));
    QCOMPARE(run.out.count(QLatin1String("Already done  ")), alreadyDone);
    QCOMPARE(run.out.count(QLatin1String(", differs as before)")), differing);
    const QString summary = QStringLiteral("Folder    %1 encoded, 0 failed, %2 differing").arg(encoded).arg(differing);
    QVERIFY2(run.out.contains(summary), qPrintable(run.out));
    if (alreadyDone > differing)
        QVERIFY2(run.out.contains(QStringLiteral(", %1 already done\n").arg(alreadyDone - differing)), qPrintable(run.out));
    for (const QString &name : run.out.split(u'\n').filter(QLatin1String("Already done  ")))
        QCOMPARE(bytesOf(target + u'/' + name.section(u' ', 3, 3)), before.value(name.section(u' ', 3, 3)));
    if (differing > 0)
        QCOMPARE(entries(target), before.keys());
    if (change == Change::OutputCutShort || change == Change::IndexZeroed || change == Change::PacketZeroed)
        QVERIFY2(run.out.contains(QLatin1String("a.wmv was written earlier from the same source with the same settings, but ")),
                 qPrintable(run.out));
}

// The jobs a folder run lists, run by GNU parallel two at a time, write every output the folder run
// writes, byte for byte; listed again, nothing is left to do.
void EncoderThreadsTest::listedJobsWriteWhatTheFolderRunWrites_data()
{
    QTest::addColumn<QString>("runner");
    QTest::addColumn<bool>("differing");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("dash, a line at a time") << u"dash"_s << false << 0;
    QTest::newRow("bash, a line at a time") << u"bash"_s << false << 0;
    QTest::newRow("GNU parallel") << u"parallel"_s << false << 0;
    // Each of the two jobs ends in 4, and parallel counts them.
    QTest::newRow("GNU parallel, every output differing") << u"parallel"_s << true << 2;
}

// Names that would run commands or pass for switches, and every byte a name may hold; a file long
// enough to be cut into pieces were it alone; two files whose outputs would be one. Where every
// output differs, a file's differing output keeps clear of the names of the folder's other files.
void EncoderThreadsTest::listedJobsWriteWhatTheFolderRunWrites()
{
    QFETCH(QString, runner);
    QFETCH(bool, differing);
    QFETCH(int, exitCode);
    const QString root = work(QStringLiteral("listed-%1%2").arg(runner, differing ? u"-differing"_s : QString()));
    const QString source = root + QStringLiteral("/source");
    const QString folderRun = root + QStringLiteral("/folder-run");
    const QString byJobs = root + QStringLiteral("/jobs");
    const QString shell = root + QStringLiteral("/shell");
    for (const QString &folder : {source, folderRun, byJobs, shell})
        QVERIFY(QDir().mkpath(folder));
    // Qt cannot remove names that are not UTF-8.
    const auto removed = qScopeGuard([&] { std::filesystem::remove_all(root.toStdString()); });
    QByteArray low;
    QByteArray high;
    for (int byte = 1; byte < 0x100; ++byte)
        if (byte != '/')
            (byte < 0x80 ? low : high) += char(byte);
    QList<std::pair<QString, QByteArray>> copies{{u"clip.avi"_s, "x.avi"}, {u"clip.mp4"_s, "x.differs.mkv"}};
    QStringList switches;
    if (differing) {
        // A title holding a NUL character comes back cut, and only a configuration file can give one.
        writeFile(root + QStringLiteral("/nul.weu"), "-title \"a" + QByteArray(1, '\0') + "b\"\r\n");
        switches = QStringList{u"-config"_s, root + QStringLiteral("/nul.weu")};
        for (const QString &output : {folderRun, byJobs})
            writeFile(output + QStringLiteral("/x.wmv"), "an older file");
    } else {
        copies = {{u"tone.wav"_s, "x\ntouch PWNED\ny.wav"}, {u"tone.wav"_s, "a'b.wav"}, {u"tone.wav"_s, "$(touch PWNED).wav"},
                  {u"clip.mp4"_s, "`touch PWNED`.mp4"}, {u"tone.wav"_s, "-rf.wav"}, {u"tone.wav"_s, "caf\xE9.wav"},
                  {u"tone.wav"_s, "\xF0\x9F\x92\xA9.wav"}, {u"tone.wav"_s, "ends in a line break.wav\n"},
                  {u"tone.wav"_s, "\t\"quoted\" {} {.} %s \\012 ;|&.wav"}, {u"tone.wav"_s, low + ".wav"},
                  {u"tone.wav"_s, high + ".wav"}, {u"long.avi"_s, "--help.avi"}, {u"turned.mp4"_s, "it's b.mp4"},
                  {u"clip.avi"_s, "a.avi"}, {u"clip.mp4"_s, "a.mp4"}, {u"notes.txt"_s, "notes.txt"}};
        switches = QStringList{u"-v_bitrate"_s, u"300000"_s, u"-title"_s, u"it's $(touch PWNED)\n`touch PWNED`"_s};
    }
    for (const auto &[medium, name] : copies)
        std::filesystem::copy_file(media(medium).toStdString(), source.toStdString() + '/' + name.toStdString());
    // Several files share the cores as files side by side, each whole: so do their jobs.
    const QStringList folderSwitches = QStringList{u"-input"_s, source, u"-output"_s, folderRun} + switches;
    QCOMPARE(RunUtilityProcess(folderSwitches, {}, jobs(2)).exitCode, differing ? 4 : 3);
    const QStringList list = QStringList{u"--list-jobs"_s, u"-input"_s, source, u"-output"_s, byJobs} + switches;
    const UtilityRun listed = RunUtilityProcess(list, {}, jobs(2));
    QCOMPARE(listed.exitCode, differing ? 0 : 3);
    QCOMPARE(listed.out.count(u'\n'), copies.size() - (differing ? 0 : 2));
    for (const QChar c : listed.out)
        QVERIFY2(c == u'\n' || (c >= u' ' && c <= u'~'), qPrintable(listed.out));
    writeFile(shell + QStringLiteral("/jobs.txt"), listed.out.toUtf8());

    // As a Slurm array task runs its line, or parallel the whole list.
    QProcess run;
    run.setProcessEnvironment(UtilityEnvironment(jobs(2)));
    run.setWorkingDirectory(shell);
    run.start(QStringLiteral("sh"), {u"-c"_s, u"if [ \"$0\" = parallel ]; then exec parallel --will-cite -j 2 < jobs.txt; fi; "
                                                "i=1; while [ $i -le $(wc -l < jobs.txt) ]; do "
                                                "sed -n \"${i}p\" jobs.txt | \"$0\" || exit; i=$((i + 1)); done"_s, runner});
    QVERIFY(run.waitForFinished(120000));
    QVERIFY2(run.exitCode() == exitCode, run.readAllStandardError().constData());
    QCOMPARE(entries(shell), QStringList{u"jobs.txt"_s});
    const QList<QByteArray> written = rawEntries(folderRun);
    // An older file beside the differing outputs, or one file's output refused to the earlier file of its name.
    QCOMPARE(written.size(), copies.size() + (differing ? 1 : -2));
    QCOMPARE(rawEntries(byJobs), written);
    for (const QByteArray &name : written)
        QVERIFY2(rawBytesOf(byJobs, name) == rawBytesOf(folderRun, name) && !rawBytesOf(byJobs, name).isEmpty(), name.constData());
    if (differing)
        return;
    const UtilityRun again = RunUtilityProcess(list, {}, jobs(2));
    QCOMPARE(again.out, QString());
    QVERIFY2(again.err.contains(QLatin1String("Jobs      0 to encode")), qPrintable(again.err));
}

void EncoderThreadsTest::aListThatCannotBeWrittenFails_data()
{
    QTest::addColumn<QString>("into");
    QTest::newRow("a full disk") << u"> /dev/full"_s;
    QTest::newRow("a reader that has gone") << u"| true"_s;
    QTest::newRow("the first line alone") << u"| head -1 > /dev/null"_s;
}

// The list that did not reach its reader is no list: the listing ends there, and says so.
void EncoderThreadsTest::aListThatCannotBeWrittenFails()
{
    QFETCH(QString, into);
    QList<std::pair<QString, QString>> copies;
    for (int i = 0; i < 20; ++i)
        copies.append({u"tone.wav"_s, QStringLiteral("tone%1.wav").arg(i, 2, 10, QChar(u'0'))});
    const QString source = folderOf(QStringLiteral("unwritten"), copies);
    QProcess shell;
    shell.start(QStringLiteral("bash"), {u"-c"_s, u"\"$0\" --list-jobs -input \"$1\" -output \"$2\" "_s + into + u"; exit ${PIPESTATUS[0]}"_s,
                                         UtilityPath(), source, source + QStringLiteral("-encoded")});
    QElapsedTimer took;
    took.start();
    QVERIFY(shell.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(shell.readAllStandardError());
    QCOMPARE(shell.exitCode(), 3);
    QVERIFY2(err.contains(QLatin1String("The output cannot be written: ")) && !err.contains(QLatin1String("to encode")), qPrintable(err));
    QVERIFY2(took.elapsed() < 10000, qPrintable(QString::number(took.elapsed())));
}

// A folder of many files that are no sound or video: the summary counts them and names a few.
void EncoderThreadsTest::aLongSummaryStaysShort()
{
    QList<std::pair<QString, QString>> copies{{u"tone.wav"_s, u"tone.wav"_s}};
    for (int i = 0; i < 25; ++i)
        copies.append({u"notes.txt"_s, QStringLiteral("note%1.txt").arg(i, 2, 10, QChar(u'0'))});
    const QString source = folderOf(QStringLiteral("many"), copies);
    const UtilityRun run = RunUtilityProcess(Arguments({"-input"}) + QStringList{source, u"-output"_s, source + u"-encoded"_s}, {}, jobs(2));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QLatin1String("Folder    1 encoded, 0 failed, 0 differing from what was asked, 25 skipped")), qPrintable(run.out));
    QVERIFY2(run.out.contains(QLatin1String("Skipped   note00.txt, note01.txt, ")) && run.out.contains(QLatin1String("note19.txt and 5 more\n")),
             qPrintable(run.out));
}

void EncoderThreadsTest::stopEndsEveryFileSideBySide_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("Ctrl+C") << SIGINT;
    QTest::newRow("kill") << SIGTERM;
    QTest::newRow("terminal closed") << SIGHUP;
}

void EncoderThreadsTest::stopEndsEveryFileSideBySide()
{
    QFETCH(int, signal);
    const QString source = folderOf(QStringLiteral("stop-%1").arg(signal),
                                    {{u"slow.avi"_s, u"a.avi"_s}, {u"slow.avi"_s, u"b.avi"_s}, {u"slow.avi"_s, u"c.avi"_s}});
    const QString target = source + QStringLiteral("-encoded");
    QDir().mkpath(target);
    const Ending ending =
        stopWhileWriting(Arguments({"-input", source, "-output", target, "-v_mode", "1"}), jobs(2), target, signal, 300);
    QVERIFY2(ending.msAfterSignal >= 0, "the encode ended before it could be stopped");
    QVERIFY2(ending.msAfterSignal < 2000, qPrintable(QString::number(ending.msAfterSignal)));
    QCOMPARE(ending.exitCode, 3);
    QCOMPARE(ending.err.count(QStringLiteral("Stopped before the end.")), 1);
    // Both files under way show what they were about, each in one piece.
    const FolderConsole console = folderConsole(ending.out);
    QCOMPARE(console.blocks.size(), 2);
    for (const QString &block : console.blocks)
        QVERIFY2(keptTogether(block), qPrintable(ending.out));
    QVERIFY2(console.summary == QStringLiteral("Folder    0 encoded, 0 failed, 0 differing from what was asked, 0 skipped as not "
                                               "sound or video files, 3 not done: the run was stopped\nNot done  a.avi, b.avi, c.avi\n"),
             qPrintable(ending.out));
    QCOMPARE(entries(target), QStringList());
}

void EncoderThreadsTest::stopEndsAnEncodeInThreadsAtAnyPoint_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("pieces");
    QTest::addColumn<QString>("source");
    const QStringList twoPasses = Arguments({"-v_mode", "1"});
    const QString slow = QStringLiteral("slow.avi");
    for (const auto &[name, signal] : {std::pair("Ctrl+C", SIGINT), std::pair("kill", SIGTERM), std::pair("terminal closed", SIGHUP)}) {
        for (const int delay : {0, 150, 600, 1500})
            QTest::addRow("%s after %d ms, two passes in pieces", name, delay) << signal << delay << twoPasses << 2 << slow;
        QTest::addRow("%s after 400 ms, one pass in pieces", name) << signal << 400 << QStringList{} << 2 << slow;
        QTest::addRow("%s after 400 ms, one pass in one piece", name) << signal << 400 << QStringList{} << 1 << slow;
        // Each piece looks for its key frame from the source's start: the stop comes while they seek.
        QTest::addRow("%s after 100 ms, pieces seeking", name) << signal << 100 << QStringList{} << 4 << u"slow-unindexed.avi"_s;
    }
}

// Whatever the threads are doing, a stop ends the encode within a moment, with its message once, and
// leaves the older output as it was and nothing beside it.
void EncoderThreadsTest::stopEndsAnEncodeInThreadsAtAnyPoint()
{
    QFETCH(int, signal);
    QFETCH(int, delayMs);
    QFETCH(QStringList, switches);
    QFETCH(int, pieces);
    QFETCH(QString, source);
    const QString folder =
        work(QStringLiteral("stopped-%1-%2-%3-%4-%5").arg(signal).arg(delayMs).arg(switches.size()).arg(pieces).arg(source));
    QDir().mkpath(folder);
    const QString out = folder + QStringLiteral("/slow.wmv");
    writeFile(out, "an older file");
    const Ending ending = stopWhileWriting(Arguments({"-input"}) + QStringList{media(source), u"-output"_s, out} + switches,
                                           jobs(pieces), folder, signal, delayMs);
    QVERIFY2(ending.msAfterSignal >= 0, "the encode ended before it could be stopped");
    QVERIFY2(ending.msAfterSignal < 2000, qPrintable(QString::number(ending.msAfterSignal)));
    QCOMPARE(ending.exitCode, 3);
    QCOMPARE(ending.err, QStringLiteral("Stopped before the end.\n"));
    QCOMPARE(bytesOf(out), QByteArray("an older file"));
    QCOMPARE(entries(folder), QStringList{u"slow.wmv"_s});
}

QUILLMARK_TEST_MAIN(EncoderThreadsTest)
#include "test_encoder_threads.moc"
