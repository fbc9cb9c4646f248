// WM8EUTIL.EXE from the outside: what each switch does to the file it writes, read back with
// libavformat, and how it refuses what it cannot do. The media are made at test time and tiny.
#include "Arguments.h"
#include "TestMain.h"
#include "UtilityProcess.h"

#include "encoder/asked/SwitchCollector.h"
#include "encoder/check/Comparison.h"
#include "params/AudioCodes.h"
#include "params/Profiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Where a flash of white on black, and a click in silence, begin in the file, in seconds, up to
// `before`: the black and the silence that run to the end of the file end there too. The sound's
// samples are timed one after the other from its first, as players that play it so hear them.
struct Cues {
    QVector<double> flashes;
    QVector<double> clicks;
};

Cues cuesIn(const QString &path, double before)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), Arguments({"-hide_banner", "-nostats", "-i", path, "-vf", "blackdetect=d=0.02:pic_th=0.9",
                                                      "-af", "asetpts=STARTPTS+N/SR/TB,silencedetect=n=-30dB:d=0.3", "-f", "null", "-"}));
    ffmpeg.waitForFinished(60000);
    Cues cues;
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    for (const QRegularExpressionMatch &found : QRegularExpression(QStringLiteral("(black|silence)_end: ?([0-9.]+)")).globalMatch(log))
        if (const double seconds = found.captured(2).toDouble(); seconds < before)
            (found.captured(1) == u"black"_s ? cues.flashes : cues.clicks) += seconds;
    return cues;
}

// The transport stream with the time of its picture's nth packet moved by `shift`, in 90 kHz ticks,
// as damage in a broadcast leaves it.
QByteArray withDamagedTime(QByteArray ts, int nth, int64_t shift)
{
    const auto byte = [&](qsizetype at) { return int64_t(uint8_t(ts[at])); };
    int seen = 0;
    for (qsizetype at = 0; at + 188 <= ts.size(); at += 188) {
        const int pid = int((byte(at + 1) & 0x1f) << 8 | byte(at + 2));
        const bool startsUnit = byte(at + 1) & 0x40;
        const qsizetype pes = at + 4 + ((byte(at + 3) & 0x20) ? 1 + byte(at + 4) : 0);
        if (pid != 0x100 || !startsUnit || ts.mid(pes, 4) != QByteArray("\0\0\1\xe0", 4) || ++seen != nth)
            continue;
        const qsizetype end = pes + ((byte(pes + 7) & 0x40) ? 19 : 14); // the PTS, and the DTS where there is one
        for (qsizetype field = pes + 9; field < end; field += 5) {
            const int64_t time = (byte(field) >> 1 & 7) << 30 | byte(field + 1) << 22 | byte(field + 2) >> 1 << 15
                                 | byte(field + 3) << 7 | byte(field + 4) >> 1;
            const int64_t moved = time + shift;
            ts[field] = char((byte(field) & 0xf0) | (moved >> 29 & 0x0e) | 1);
            ts[field + 1] = char(moved >> 22);
            ts[field + 2] = char((moved >> 14 & 0xfe) | 1);
            ts[field + 3] = char(moved >> 7);
            ts[field + 4] = char((moved << 1 & 0xfe) | 1);
        }
        break;
    }
    return ts;
}

} // namespace

class EncoderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void switchShowsInTheFile_data();
    void switchShowsInTheFile();
    void keyDistanceSetsKeyFrames_data();
    void keyDistanceSetsKeyFrames();
    void qualityAndBitRateSetTheSize();
    void contentDescriptionIsReadableBack();
    void configFilesAreReadInPlace();
    void twoPassBelowWhatThePictureNeedsIsRaised();
    void shortBufferIsRaised();
    void sourceAloneIsReportedOn();
    void folderEncodesEveryMediaFile();
    void truncatedOutputIsCaught();
    void sectionsStartWhereAsked_data();
    void sectionsStartWhereAsked();
    void pictureWithoutFramesIsReported();
    void refusals_data();
    void refusals();
    void unwritableOutputLeavesNothing();
    void stoppedEncodeKeepsTheOlderFile();
    void profilesAddUpToTheirNames();
    void tracksAreThosePlayersPlay_data();
    void tracksAreThosePlayersPlay();
    void recordingsPlayOnOverTheirClocks_data();
    void recordingsPlayOnOverTheirClocks();

private:
    QString media(const QString &name) const { return media_.filePath(name); }
    void makeMedia(const QString &name, const QStringList &ffmpegArguments);
    QString output(const QString &name) const { return work_.filePath(name); }

    QTemporaryDir media_;
    QTemporaryDir work_;
};

void EncoderTest::makeMedia(const QString &name, const QStringList &ffmpegArguments)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), Arguments({"-hide_banner", "-loglevel", "error", "-y"}) + ffmpegArguments + QStringList{media(name)});
    QVERIFY2(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0, ffmpeg.readAllStandardError().constData());
}

void EncoderTest::initTestCase()
{
    QVERIFY(media_.isValid() && work_.isValid());
    makeMedia(QStringLiteral("clip.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=15", "-f", "lavfi", "-i",
                         "sine=frequency=440:sample_rate=22050", "-t", "2", "-c:v", "mpeg4", "-q:v", "5",
                         "-c:a", "pcm_s16le", "-ac", "2"}));
    makeMedia(QStringLiteral("tone.wav"), Arguments({"-f", "lavfi", "-i", "sine=frequency=660:sample_rate=22050", "-t", "1.5"}));
    makeMedia(QStringLiteral("interlaced.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=50", "-t", "1", "-vf", "tinterlace=interleave_top",
                         "-flags", "+ilme+ildct", "-c:v", "mpeg4", "-q:v", "5"}));
    makeMedia(QStringLiteral("telecined.avi"), Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=24000/1001", "-t", "1",
                                                          "-vf", "telecine", "-c:v", "mpeg4", "-q:v", "5"}));
    makeMedia(QStringLiteral("sharp.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=15", "-t", "1", "-c:v", "mpeg4", "-q:v", "3"}));
    // MPEG-2 in a transport stream: no index, and a key frame only every 10 s, so that a seek by
    // timestamp lands past the key frame before it.
    makeMedia(QStringLiteral("broadcast.ts"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=15", "-f", "lavfi", "-i", "sine=sample_rate=22050",
                         "-t", "16", "-c:v", "mpeg2video", "-g", "150", "-bf", "0", "-c:a", "mp2"}));
    makeMedia(QStringLiteral("late-picture.mkv"),
              Arguments({"-itsoffset", "11", "-f", "lavfi", "-i", "testsrc2=size=64x48:rate=15:duration=3",
                         "-f", "lavfi", "-i", "sine=sample_rate=22050:duration=14", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
    // A picture from 2 s to 6 s, its sound from 0 to 3 s, each with a length of its own in the index.
    makeMedia(QStringLiteral("picture-alone.mkv"), Arguments({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=15:duration=4", "-c:v", "mpeg4"}));
    makeMedia(QStringLiteral("sound-alone.m4a"), Arguments({"-f", "lavfi", "-i", "sine=sample_rate=22050:duration=3", "-c:a", "aac"}));
    makeMedia(QStringLiteral("picture-outlasting.mp4"),
              Arguments({"-itsoffset", "2", "-i"}) + QStringList{media(QStringLiteral("picture-alone.mkv")), u"-i"_s,
                                                                 media(QStringLiteral("sound-alone.m4a"))}
                  + Arguments({"-map", "0", "-map", "1", "-c", "copy"}));
    // A slide show: a frame every 3 s, each on screen until the next.
    makeMedia(QStringLiteral("slides.mkv"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=15", "-f", "lavfi", "-i", "sine=sample_rate=22050", "-t", "16",
                         "-vf", "select='not(mod(n,45))'", "-fps_mode", "passthrough", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
    writeFile(media(QStringLiteral("notes.txt")), "not a media file\n");
    // Two pictures and two sounds, with the second of each marked as the one to play, and the same
    // with none marked.
    const QStringList tracks = Arguments({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=15", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=15",
                                          "-f", "lavfi", "-i", "sine=frequency=300", "-f", "lavfi", "-i", "sine=frequency=1000", "-t", "1",
                                          "-map", "0", "-map", "1", "-map", "2", "-map", "3", "-c:v", "mpeg4", "-c:a", "pcm_s16le",
                                          "-disposition:v:0", "0", "-disposition:a:0", "0"});
    makeMedia(QStringLiteral("second-marked.mkv"), tracks + Arguments({"-disposition:v:1", "default", "-disposition:a:1", "default"}));
    makeMedia(QStringLiteral("none-marked.mkv"), tracks + Arguments({"-disposition:v:1", "0", "-disposition:a:1", "0"}));
    // A recording of 6 s with a flash and a click 1 s in: twice over in one file, its clock starting
    // again half way, as recordings joined end to end do; and with one packet's time damaged.
    makeMedia(QStringLiteral("recording.ts"),
              Arguments({"-f", "lavfi", "-i", "color=black:size=160x120:rate=25,drawbox=c=white:t=fill:enable='between(t,1,1.039)'",
                         "-f", "lavfi", "-i", "aevalsrc='if(between(t,1,1.05),0.8*sin(2*PI*1000*t),0)':s=48000", "-t", "6",
                         "-c:v", "mpeg2video", "-c:a", "mp2"}));
    QFile recording(media(QStringLiteral("recording.ts")));
    QVERIFY(recording.open(QIODevice::ReadOnly));
    const QByteArray recorded = recording.readAll();
    writeFile(media(QStringLiteral("joined.ts")), recorded.repeated(2));
    writeFile(media(QStringLiteral("later.ts")), withDamagedTime(recorded, 41, 5 * 90000));
    writeFile(media(QStringLiteral("earlier.ts")), withDamagedTime(recorded, 41, -90000));
    // Joined to the same recording with its sound in stereo at 44.1 kHz, as a broadcast switches
    // between programmes, or with a smaller picture; and as sound alone in Ogg, chained, where the
    // demuxer's times go on counting the first part's samples.
    const auto recordingWith = [&](const QString &name, const QStringList &sound) {
        makeMedia(name, Arguments({"-f", "lavfi", "-i", "color=black:size=160x120:rate=25,drawbox=c=white:t=fill:enable='between(t,1,1.039)'",
                                   "-f", "lavfi", "-i", "aevalsrc='if(between(t,1,1.05),0.8*sin(2*PI*1000*t),0)':s=48000", "-t", "6"})
                            + sound);
        QFile made(media(name));
        return made.open(QIODevice::ReadOnly) ? made.readAll() : QByteArray();
    };
    writeFile(media(QStringLiteral("switching.ts")),
              recorded + recordingWith(QStringLiteral("stereo.ts"), Arguments({"-ar", "44100", "-ac", "2", "-c:v", "mpeg2video", "-c:a", "mp2"})));
    writeFile(media(QStringLiteral("shrinking.ts")),
              recorded + recordingWith(QStringLiteral("small.ts"), Arguments({"-vf", "scale=80:60", "-c:v", "mpeg2video", "-c:a", "mp2"})));
    writeFile(media(QStringLiteral("chained.ogg")), recordingWith(QStringLiteral("mono.ogg"), Arguments({"-vn", "-c:a", "libvorbis"}))
                                                        + recordingWith(QStringLiteral("stereo.ogg"), Arguments({"-vn", "-ar", "44100", "-ac", "2", "-c:a", "libvorbis"})));
    // The same flash and click 4 s in, the sound missing from 2 s to 3 s.
    makeMedia(QStringLiteral("sound-gap.mkv"),
              Arguments({"-f", "lavfi", "-i", "color=black:size=160x120:rate=25,drawbox=c=white:t=fill:enable='between(t,4,4.039)'",
                         "-f", "lavfi", "-i", "aevalsrc='if(between(t,4,4.05),0.8*sin(2*PI*1000*t),0)':s=48000", "-t", "6",
                         "-af", "aselect='not(between(t,2,3))'", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}));
}

void EncoderTest::switchShowsInTheFile_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("sound");
    QTest::addColumn<double>("duration");

    const QString clip = QStringLiteral("clip.avi");
    const QString wav = QStringLiteral("tone.wav");
    const QString interlaced = QStringLiteral("interlaced.avi");
    QTest::newRow("defaults") << clip << QStringList{} << "wmv2 160x120 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("profile with picture and sound") << clip << Arguments({"-profile", "av100"}) << "wmv2 240x180 15/1" << "wmav2 16000 1" << 2.0;
    QTest::newRow("profile frame rate is a ceiling") << clip << Arguments({"-profile", "av32"}) << "wmv2 160x120 10/1" << "wmav2 11025 1" << 2.0;
    QTest::newRow("sound-only profile") << clip << Arguments({"-profile", "a64"}) << "" << "wmav2 44100 2" << 2.0;
    QTest::newRow("picture-only profile") << clip << Arguments({"-profile", "v32"}) << "wmv2 160x120 15/1" << "" << 2.0;
    QTest::newRow("switches override the profile")
        << clip << Arguments({"-profile", "av100", "-v_width", "320", "-a_setting", "32_32_2"}) << "wmv2 320x240 15/1"
        << "wmav2 32000 2" << 2.0;
    QTest::newRow("sound added to a picture-only profile") << clip << Arguments({"-profile", "v20", "-a_setting", "48_44_2"})
                                                           << "wmv2 160x120 10/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("WMV7") << clip << Arguments({"-v_codec", "WMV7"}) << "wmv1 160x120 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("width alone keeps the shape") << clip << Arguments({"-v_width", "80"}) << "wmv2 80x60 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("height alone keeps the shape") << clip << Arguments({"-v_height", "60"}) << "wmv2 80x60 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("odd width made even") << clip << Arguments({"-v_width", "81"}) << "wmv2 80x60 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("both sides") << clip << Arguments({"-v_width", "96", "-v_height", "32"}) << "wmv2 96x32 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("frame rate") << clip << Arguments({"-v_framerate", "10"}) << "wmv2 160x120 10/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("NTSC frame rate") << clip << Arguments({"-v_framerate", "29.970"}) << "wmv2 160x120 30000/1001" << "wmav2 44100 2" << 2.0;
    QTest::newRow("no sound") << clip << Arguments({"-a_setting", "0"}) << "wmv2 160x120 15/1" << "" << 2.0;
    QTest::newRow("sound below the encoder's lowest rate") << clip << Arguments({"-a_setting", "8_11_1"}) << "wmv2 160x120 15/1"
                                                           << "wmav2 11025 1" << 2.0;
    QTest::newRow("rich sound") << clip << Arguments({"-a_setting", "128_48_2"}) << "wmv2 160x120 15/1" << "wmav2 48000 2" << 2.0;
    QTest::newRow("section") << clip << Arguments({"-time", "500", "1500"}) << "wmv2 160x120 15/1" << "wmav2 44100 2" << 1.0;
    QTest::newRow("section to the end") << clip << Arguments({"-time", "1500", "0"}) << "wmv2 160x120 15/1" << "wmav2 44100 2" << 0.5;
    QTest::newRow("clip by edges") << clip << Arguments({"-v_clip", "8", "0", "152", "120"}) << "wmv2 144x120 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("clip reaching past the picture") << clip << Arguments({"-v_clip", "8 0 304 240"}) << "wmv2 152x120 15/1"
                                                    << "wmav2 44100 2" << 2.0;
    QTest::newRow("clip by margins") << clip << Arguments({"-v_clip", "8 8 8 8"}) << "wmv2 144x104 15/1" << "wmav2 44100 2" << 2.0;
    QTest::newRow("sound source") << wav << QStringList{} << "" << "wmav2 44100 2" << 1.5;
    QTest::newRow("a fifth of a second of sound") << wav << Arguments({"-time", "500", "700"}) << "" << "wmav2 44100 2" << 0.2;
    QTest::newRow("sound source, picture switches") << wav << Arguments({"-v_width", "320", "-profile", "a20_1"}) << ""
                                                    << "wmav2 22050 1" << 1.5;
    QTest::newRow("deinterlace") << interlaced << Arguments({"-v_preproc", "1"}) << "wmv2 160x120 25/1" << "" << 1.0;
    QTest::newRow("deinterlace, half size") << interlaced << Arguments({"-v_preproc", "2"}) << "wmv2 80x60 25/1" << "" << 1.0;
    QTest::newRow("deinterlace, half size, double rate") << interlaced << Arguments({"-v_preproc", "3"}) << "wmv2 80x60 50/1" << "" << 1.0;
    QTest::newRow("deinterlace, half height, double rate") << interlaced << Arguments({"-v_preproc", "4"}) << "wmv2 160x60 50/1" << "" << 1.0;
    QTest::newRow("deinterlacing wins over stale sizes")
        << interlaced << Arguments({"-v_preproc", "3", "-v_width", "320", "-v_height", "240", "-v_framerate", "15"})
        << "wmv2 80x60 50/1" << "" << 1.0;
    QTest::newRow("inverse telecine") << QStringLiteral("telecined.avi") << Arguments({"-v_preproc", "5"}) << "wmv2 160x120 24000/1001"
                                      << "" << 1.0;
    QTest::newRow("CBR two pass") << clip << Arguments({"-v_mode", "1", "-v_bitrate", "200000"}) << "wmv2 160x120 15/1"
                                  << "wmav2 44100 2" << 2.0;
    QTest::newRow("VBR two pass, section") << clip << Arguments({"-v_mode", "3", "-time", "500", "1500"}) << "wmv2 160x120 15/1"
                                           << "wmav2 44100 2" << 1.0;
}

void EncoderTest::switchShowsInTheFile()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    QFETCH(QString, picture);
    QFETCH(QString, sound);
    QFETCH(double, duration);

    // By quality rather than at a bit rate, which the clips' small, plain pictures could not fill.
    const QString out = output(QStringLiteral("switch.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out, "-v_mode", "2"}) + switches);
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    // Each source is as long as its container says.
    QVERIFY2(!run.out.contains(QLatin1String("The source gave")), qPrintable(run.out));
    const WrittenMedia written = ReadMedia(out);
    QVERIFY(written.readable);
    QCOMPARE(written.picture, picture);
    QCOMPARE(written.sound, sound);
    QVERIFY2(std::abs(written.duration - duration) < 0.2, qPrintable(QString::number(written.duration)));
}

void EncoderTest::keyDistanceSetsKeyFrames_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("keyFrames");
    QTest::newRow("default, 8 s") << QStringList{} << 1;
    QTest::newRow("every second") << Arguments({"-v_keydist", "1"}) << 2;
    QTest::newRow("every second at 10 fps") << Arguments({"-v_keydist", "1", "-v_framerate", "10"}) << 2;
}

void EncoderTest::keyDistanceSetsKeyFrames()
{
    QFETCH(QStringList, switches);
    QFETCH(int, keyFrames);
    const QString out = output(QStringLiteral("keys.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("clip.avi")), "-output", out, "-a_setting", "0",
                                                        "-v_mode", "2"}) + switches);
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QCOMPARE(ReadMedia(out).keyFrames, keyFrames);
}

void EncoderTest::qualityAndBitRateSetTheSize()
{
    const auto encodedSize = [this](const QStringList &switches) {
        const QString out = output(QStringLiteral("size.wmv"));
        const UtilityRun run =
            RunUtilityProcess(Arguments({"-input", media(QStringLiteral("clip.avi")), "-output", out, "-a_setting", "0"}) + switches);
        return run.exitCode == 0 ? QFileInfo(out).size() : -1;
    };
    const qint64 coarse = encodedSize(Arguments({"-v_mode", "2", "-v_quality", "10"}));
    const qint64 fine = encodedSize(Arguments({"-v_mode", "2", "-v_quality", "90"}));
    QVERIFY2(coarse > 0 && fine > 2 * coarse, qPrintable(QStringLiteral("%1 %2").arg(coarse).arg(fine)));

    // Two seconds at the asked bit rate, give or take what the rate control and the file's own
    // structure add.
    for (const int bitRate : {60000, 240000}) {
        const qint64 size = encodedSize(Arguments({"-v_mode", "3", "-v_bitrate", QString::number(bitRate)}));
        const double measured = double(size) * 8 / 2;
        QVERIFY2(measured > bitRate * 0.75 && measured < bitRate * 1.3, qPrintable(QStringLiteral("%1 for %2").arg(measured).arg(bitRate)));
    }
}

void EncoderTest::contentDescriptionIsReadableBack()
{
    const QString config = output(QStringLiteral("content.weu"));
    const QString out = output(QStringLiteral("content.wmv"));
    writeFile(config, QStringLiteral("-input \"%1\"\r\n-output \"%2\"\r\n-title \"Holiday 2002\"\r\n-author \"Anna \"Bee\" Smith\"\r\n"
                                     "-copyright \"(c) 2002\"\r\n-description \"Sea, sun and sand\"\r\n-rating \"PG\"\r\n")
                          .arg(media(QStringLiteral("clip.avi")), out).toLocal8Bit());
    const UtilityRun run = RunUtilityProcess(Arguments({"-config", config}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const QMap<QString, QString> tags = ReadMedia(out).tags;
    QCOMPARE(tags.value(u"title"_s), QStringLiteral("Holiday 2002"));
    QCOMPARE(tags.value(u"artist"_s), QStringLiteral("Anna \"Bee\" Smith"));
    QCOMPARE(tags.value(u"copyright"_s), QStringLiteral("(c) 2002"));
    QCOMPARE(tags.value(u"comment"_s), QStringLiteral("Sea, sun and sand"));
    QCOMPARE(tags.value(u"WM/ParentalRating"_s), QStringLiteral("PG"));
}

void EncoderTest::configFilesAreReadInPlace()
{
    // A -config line stands for the lines of the file it names, so a later line still wins.
    const QDir folder(work_.path());
    QVERIFY(folder.mkpath(QStringLiteral("configs")));
    writeFile(output(QStringLiteral("configs/size.weu")), "-v_width 80\n-a_setting 0\n-v_mode 2\n");
    writeFile(output(QStringLiteral("main.weu")), QStringLiteral("-input \"%1\"\r\n-output %2\r\n-config configs/size.weu\r\n"
                                                                 "-a_setting 32_44_1\r\n")
                                                      .arg(media(QStringLiteral("clip.avi")), output(QStringLiteral("nested.wmv")))
                                                      .toLocal8Bit());
    UtilityRun run = RunUtilityProcess(Arguments({"-config", output(QStringLiteral("main.weu"))}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const WrittenMedia written = ReadMedia(output(QStringLiteral("nested.wmv")));
    QCOMPARE(written.picture, QStringLiteral("wmv2 80x60 15/1"));
    QCOMPARE(written.sound, QStringLiteral("wmav2 44100 1"));

    writeFile(output(QStringLiteral("configs/loop.weu")), "-title \"x\"\r\n-config ../main2.weu\r\n");
    writeFile(output(QStringLiteral("main2.weu")), "-config configs/loop.weu\r\n");
    run = RunUtilityProcess(Arguments({"-config", output(QStringLiteral("main2.weu"))}));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("loop.weu, line 2: -config \"../main2.weu\" would read that file again")), qPrintable(run.err));
}

void EncoderTest::twoPassBelowWhatThePictureNeedsIsRaised()
{
    // FFmpeg's wmv2 aborts with heap corruption when its second pass is asked for this. The file
    // is written at the rate that holds the picture, and checked against the rate asked for.
    const QString out = output(QStringLiteral("floor.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("sharp.avi")), "-output", out, "-v_mode", "1",
                                                        "-v_bitrate", "20000", "-v_buffer", "1000"}));
    QVERIFY2(run.exitCode == 4, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral("Two passes cannot fit this picture into 20000 bit/s")), qPrintable(run.out));
    QVERIFY2(run.err.contains(QStringLiteral("Two passes could not fit it into 20.0 kbit/s even at the coarsest quantiser")),
             qPrintable(run.err));
    QCOMPARE(ReadMedia(out).picture, QStringLiteral("wmv2 320x240 15/1"));
}

void EncoderTest::shortBufferIsRaised()
{
    const QString out = output(QStringLiteral("buffer.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("clip.avi")), "-output", out, "-v_buffer", "10",
                                                        "-v_bitrate", "100000"}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral("A buffer of 10 ms holds less than one frame; 68 ms is used.")), qPrintable(run.out));
}

void EncoderTest::sourceAloneIsReportedOn()
{
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("clip.avi"))}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral("picture mpeg4 160x120 at 15 fps; sound pcm_s16le 22050 Hz, 2 channels")), qPrintable(run.out));
    QVERIFY(!run.out.contains(QStringLiteral("Written")));
}

void EncoderTest::folderEncodesEveryMediaFile()
{
    const QString source = output(QStringLiteral("batch"));
    QVERIFY(QDir().mkpath(source));
    for (const QString &name : {QStringLiteral("clip.avi"), QStringLiteral("tone.wav"), QStringLiteral("notes.txt")})
        QVERIFY(QFile::copy(media(name), source + u'/' + name));
    QVERIFY(QFile::copy(media(QStringLiteral("clip.avi")), source + QStringLiteral("/clip.mkv")));
    makeMedia(QStringLiteral("short.wav"), Arguments({"-f", "lavfi", "-i", "sine", "-t", "0.3"}));
    QVERIFY(QFile::copy(media(QStringLiteral("short.wav")), source + QStringLiteral("/short.wav")));
    makeMedia(QStringLiteral("cover.png"), Arguments({"-f", "lavfi", "-i", "testsrc2=size=64x48", "-frames:v", "1"}));
    QVERIFY(QFile::copy(media(QStringLiteral("cover.png")), source + QStringLiteral("/cover.png")));

    // short.wav ends before the section starts, and clip.mkv would overwrite what clip.avi wrote:
    // both fail, and the others go on.
    const QString target = output(QStringLiteral("encoded/batch"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", source, "-output", target, "-outputstring", "_web", "-time", "500", "1000",
                                                        "-v_mode", "2"}));
    QVERIFY2(run.exitCode == 3, qPrintable(Describe(run)));
    QCOMPARE(QDir(target).entryList(QDir::Files, QDir::Name), (QStringList{u"clip_web.wmv"_s, u"tone_web.wma"_s}));
    QCOMPARE(ReadMedia(target + QStringLiteral("/clip_web.wmv")).picture, QStringLiteral("wmv2 160x120 15/1"));
    QCOMPARE(ReadMedia(target + QStringLiteral("/tone_web.wma")).sound, QStringLiteral("wmav2 44100 2"));
    QVERIFY2(run.err.contains(QStringLiteral("-time \"500 1000\" starts at or after the end of the source")), qPrintable(run.err));
    QVERIFY2(run.out.contains(QStringLiteral("2 encoded, 2 failed, 0 differing from what was asked, 2 skipped")), qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("Failed    clip.mkv, short.wav")), qPrintable(run.out));
    QVERIFY2(run.err.contains(QStringLiteral("clip.mkv would write %1/clip_web.wmv again").arg(target)), qPrintable(run.err));
    QVERIFY2(run.out.contains(QStringLiteral("Skipped   cover.png, notes.txt")), qPrintable(run.out));
}

void EncoderTest::sectionsStartWhereAsked_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("start"); // ms
    QTest::addColumn<int>("end");
    QTest::newRow("just after a key frame") << "broadcast.ts" << 1000 << 5000;
    QTest::newRow("between two key frames") << "broadcast.ts" << 9000 << 13000;
    QTest::newRow("past the last key frame") << "broadcast.ts" << 11000 << 15000;
    QTest::newRow("to the end") << "broadcast.ts" << 12000 << 0;
    QTest::newRow("an indexed file") << "late-picture.mkv" << 11500 << 13500;
    QTest::newRow("while a slide is on screen") << "slides.mkv" << 4000 << 8000;
    QTest::newRow("past the sound, in a picture that started late") << "picture-outlasting.mp4" << 4500 << 5500;
}

// Every frame of the section is there, from its start, wherever the source keeps its key frames and
// however long a frame stays on screen.
void EncoderTest::sectionsStartWhereAsked()
{
    QFETCH(QString, source);
    QFETCH(int, start);
    QFETCH(int, end);
    const QString out = output(QStringLiteral("section-%1.wmv").arg(QString::fromUtf8(QTest::currentDataTag())));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out, "-v_mode", "2", "-time",
                                                        QString::number(start), QString::number(end)}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const WrittenMedia written = ReadMedia(out);
    const double seconds = (end > 0 ? end : 16000 - 39) / 1000.0 - start / 1000.0;
    QVERIFY2(std::abs(written.pictureStarts.size() - seconds * 15) <= 1, qPrintable(QString::number(written.pictureStarts.size())));
    // The file's first frame is the section's: ASF starts its timestamps a few milliseconds in.
    QVERIFY2(written.pictureStarts.first() < 1.0 / 15, qPrintable(QString::number(written.pictureStarts.first())));
}

// A section where the source has no picture gives a file whose picture stream holds nothing: that is
// told, not checked as asked.
void EncoderTest::pictureWithoutFramesIsReported()
{
    const QString out = output(QStringLiteral("no-picture.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("late-picture.mkv")), "-output", out,
                                                        "-v_mode", "2", "-time", "0", "5000"}));
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(QStringLiteral("The picture stream holds no frames")), qPrintable(Describe(run)));
}

void EncoderTest::truncatedOutputIsCaught()
{
    const QString out = output(QStringLiteral("whole.wmv"));
    const QStringList switches =
        Arguments({"-input", media(QStringLiteral("clip.avi")), "-output", out, "-v_width", "80", "-v_mode", "2"});
    const UtilityRun run = RunUtilityProcess(switches);
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const EncodePlan plan = PlanEncode(ParseSettings(CollectSwitches(switches)), ProbeSource(media(QStringLiteral("clip.avi"))));
    QCOMPARE(CompareWithPlan(plan, ReadBack(out), plan.duration), QStringList());
    // Read back, the packets last the whole 2 s, the last frame's 1/15 s included.
    QCOMPARE(qRound(ReadBack(out).duration * 1000), 2000);

    // The header still tells the whole length; the packets end half way.
    QFile file(out);
    QVERIFY(file.resize(file.size() / 2));
    const QStringList differences = CompareWithPlan(plan, ReadBack(out), plan.duration);
    QCOMPARE(differences.size(), 1);
    QVERIFY2(differences[0].contains(QRegularExpression(QStringLiteral("^The file lasts [01]\\.\\d+ s; 2\\.000 s was expected"))),
             qPrintable(differences[0]));
}

void EncoderTest::refusals_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("message");

    const QString clip = media(QStringLiteral("clip.avi"));
    const QStringList encode = Arguments({"-input", clip, "-output", output(QStringLiteral("refused.wmv"))});
    QTest::newRow("unknown switch") << encode + Arguments({"-speed", "3"}) << "command line: unknown switch \"-speed\"; the switches are -input,";
    QTest::newRow("mode") << encode + Arguments({"-v_mode", "7"}) << "-v_mode \"7\" is not allowed; the modes are 0 (CBR, one pass)";
    QTest::newRow("audio setting") << encode + Arguments({"-a_setting", "7_8_1"}) << "-a_setting \"7_8_1\" is not allowed; the settings are 192_48_2,";
    QTest::newRow("profile") << encode + Arguments({"-profile", "av999"}) << "-profile \"av999\" is not allowed; the profiles are av20, av32,";
    QTest::newRow("width") << encode + Arguments({"-v_width", "wide"}) << "-v_width \"wide\" is not allowed; it takes a width in pixels from 16 to 4096";
    QTest::newRow("bit rate in kbit/s") << encode + Arguments({"-v_bitrate", "300"}) << "-v_bitrate \"300\" is not allowed; it takes a bit rate in bit/s";
    QTest::newRow("quality") << encode + Arguments({"-v_quality", "101"}) << "-v_quality \"101\" is not allowed";
    QTest::newRow("frame rate") << encode + Arguments({"-v_framerate", "fast"}) << "-v_framerate \"fast\" is not allowed";
    QTest::newRow("codec") << encode + Arguments({"-v_codec", "WMV9"}) << "the codecs are WMV8";
    QTest::newRow("section backwards") << encode + Arguments({"-time", "2000", "500"}) << "-time \"2000 500\" is not allowed";
    QTest::newRow("section after the end") << encode + Arguments({"-time", "5000", "6000"}) << "-time \"5000 6000\" starts at or after the end";
    QTest::newRow("clip of three numbers") << encode + Arguments({"-v_clip", "1", "2", "3"}) << "-v_clip \"1 2 3\" is not allowed";
    QTest::newRow("clip leaving nothing") << encode + Arguments({"-v_clip", "100 0 100 0"}) << "-v_clip \"100 0 100 0\" leaves nothing of the 160x120 picture";
    QTest::newRow("nothing left to encode") << encode + Arguments({"-profile", "a64", "-a_setting", "0"})
                                            << "Nothing to encode: the settings leave out both the picture and the sound.";
    QTest::newRow("no such source") << Arguments({"-input", output(QStringLiteral("missing.avi")), "-output", output(QStringLiteral("refused.wmv"))})
                                    << "missing.avi\": there is no such file or folder.";
    QTest::newRow("not a media file") << Arguments({"-input", media(QStringLiteral("notes.txt")), "-output", output(QStringLiteral("refused.wmv"))})
                                      << "notes.txt is not a sound or video file.";
    QTest::newRow("output is the source")
        << Arguments({"-input", clip, "-output", QDir(media_.path()).filePath(u"../"_s + QDir(media_.path()).dirName() + u"/clip.avi"_s)})
                                           << "clip.avi\" is the source itself";
    QTest::newRow("an appendage leading out of the output folder")
        << Arguments({"-input", media_.path(), "-output", output(QStringLiteral("refused")), "-outputstring", "/../../out"})
        << "-outputstring \"/../../out\" is not allowed; it takes any text without a /.";
    QTest::newRow("no source") << Arguments({"-output", output(QStringLiteral("refused.wmv"))}) << "No source was given";
}

void EncoderTest::refusals()
{
    QFETCH(QStringList, switches);
    QFETCH(QString, message);
    const UtilityRun run = RunUtilityProcess(switches);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(output(QStringLiteral("refused.wmv"))));
    QVERIFY(QFileInfo(media(QStringLiteral("clip.avi"))).size() > 0);
}

void EncoderTest::unwritableOutputLeavesNothing()
{
    // The tests may run as root, who can write anywhere; a folder whose name is taken by a file
    // cannot be written by anyone.
    const QString blocked = output(QStringLiteral("blocked"));
    writeFile(blocked, "a file, not a folder");
    const QStringList before = QDir(work_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const UtilityRun run =
        RunUtilityProcess(Arguments({"-input", media(QStringLiteral("clip.avi")), "-output", blocked + QStringLiteral("/out.wmv")}));
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.err.contains(QStringLiteral("Cannot write %1/out.wmv").arg(blocked)), qPrintable(run.err));
    QCOMPARE(QDir(work_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

void EncoderTest::stoppedEncodeKeepsTheOlderFile()
{
    makeMedia(QStringLiteral("long.avi"),
              Arguments({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=15", "-t", "10", "-c:v", "mpeg4", "-q:v", "10"}));
    const QString out = output(QStringLiteral("older.wmv"));
    writeFile(out, "an older file");
    const QStringList before = QDir(work_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    QProcess process;
    process.start(UtilityPath(),
                  Arguments({"-input", media(QStringLiteral("long.avi")), "-output", out, "-v_mode", "1"}));
    const auto writing = [&] {
        return QDir(work_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size() > before.size();
    };
    QTRY_VERIFY_WITH_TIMEOUT(writing() || process.state() == QProcess::NotRunning, 30000);
    QVERIFY2(process.state() == QProcess::Running, "the encode ended before it could be stopped");
    process.terminate();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 3);
    QVERIFY(process.readAllStandardError().contains("Stopped before the end."));
    QFile older(out);
    QVERIFY(older.open(QIODevice::ReadOnly));
    QCOMPARE(older.readAll(), QByteArray("an older file"));
    QCOMPARE(QDir(work_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

void EncoderTest::profilesAddUpToTheirNames()
{
    static const QRegularExpression rate(QStringLiteral("^[a-z]+(\\d+)"));
    for (const QString &name : ProfileNames()) {
        const Profile *profile = FindProfile(name);
        const int picture = profile->picture ? profile->picture->bitRate : 0;
        const int sound = profile->audioCode ? AudioFormatFromCode(QLatin1String(profile->audioCode))->bitRate : 0;
        QVERIFY2(profile->picture || profile->audioCode, qPrintable(name));
        QCOMPARE((picture + sound) / 1000, rate.match(name).captured(1).toInt());
    }
    QCOMPARE(ProfileNames().size(), 19);
}

void EncoderTest::tracksAreThosePlayersPlay_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("sound");
    QTest::newRow("the tracks marked to play") << QStringLiteral("second-marked.mkv") << 1 << 3;
    QTest::newRow("none marked: the first of each kind") << QStringLiteral("none-marked.mkv") << 0 << 2;
}

void EncoderTest::tracksAreThosePlayersPlay()
{
    QFETCH(QString, source);
    QFETCH(int, picture);
    QFETCH(int, sound);
    const SourceFacts facts = ProbeSource(media(source));
    QVERIFY(facts.picture && facts.sound);
    QCOMPARE(facts.picture->stream, picture);
    QCOMPARE(facts.sound->stream, sound);
}

void EncoderTest::recordingsPlayOnOverTheirClocks_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<double>("duration");
    QTest::addColumn<QVector<double>>("flashes");
    const QString joined = QStringLiteral("joined.ts");
    QTest::newRow("joined, whole, at 15 fps") << joined << Arguments({"-v_framerate", "15"}) << 12.0 << QVector<double>{1, 7};
    QTest::newRow("joined, a section across the join") << joined << Arguments({"-time", "5000", "9000"}) << 4.0 << QVector<double>{2};
    QTest::newRow("a time damaged 5 s later") << QStringLiteral("later.ts") << QStringList{} << 6.0 << QVector<double>{1};
    QTest::newRow("a time damaged 1 s earlier") << QStringLiteral("earlier.ts") << QStringList{} << 6.0 << QVector<double>{1};
    QTest::newRow("a second of sound missing") << QStringLiteral("sound-gap.mkv") << QStringList{} << 6.0 << QVector<double>{4};
    QTest::newRow("joined, the sound switching to stereo at 44.1 kHz") << QStringLiteral("switching.ts") << QStringList{} << 12.0
                                                                       << QVector<double>{1, 7};
    QTest::newRow("joined, the picture shrinking, clipped and deinterlaced")
        << QStringLiteral("shrinking.ts") << Arguments({"-v_clip", "8", "8", "120", "100", "-v_preproc", "1"}) << 12.0
        << QVector<double>{1, 7};
    QTest::newRow("sound alone, chained, its rate changing") << QStringLiteral("chained.ogg") << QStringList{} << 12.0
                                                             << QVector<double>{1, 7};
}

// The second recording follows the first, where a time in the file stands for a moment of each, a
// damaged time is passed over, a gap in the sound is filled, and sound of another rate or channels
// or a picture of another size carries on: the sound stays in step with the picture, or, alone,
// with its own clicks.
void EncoderTest::recordingsPlayOnOverTheirClocks()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    QFETCH(double, duration);
    QFETCH(QVector<double>, flashes);
    const QString out = output(QStringLiteral("recording.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out}) + switches);
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const WrittenMedia written = ReadMedia(out);
    QVERIFY2(std::abs(written.duration - duration) < 0.2, qPrintable(Describe(run)));
    const Cues cues = cuesIn(out, duration - 0.5);
    const QVector<double> seen = written.picture.isEmpty() ? cues.clicks : cues.flashes;
    QCOMPARE(seen.size(), flashes.size());
    QCOMPARE(cues.clicks.size(), flashes.size());
    for (qsizetype i = 0; i < flashes.size(); ++i) {
        QVERIFY2(std::abs(seen[i] - flashes[i]) < 0.1, qPrintable(QString::number(seen[i])));
        QVERIFY2(std::abs(cues.clicks[i] - seen[i]) < 0.07, qPrintable(QString::number(cues.clicks[i])));
    }
}

QUILLMARK_TEST_MAIN(EncoderTest)
#include "test_encoder.moc"
