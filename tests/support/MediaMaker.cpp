#include "MediaMaker.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

QString MakeMedia(const QString &folder, const QString &name, const QStringList &ffmpegArguments)
{
    const QString path = folder + u'/' + name;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-y"_s} + ffmpegArguments + QStringList{path});
    const bool finished = ffmpeg.waitForFinished(60000);
    if (!finished || ffmpeg.exitCode() != 0)
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), ffmpeg.readAllStandardError().constData());
    return finished && ffmpeg.exitCode() == 0 ? path : QString();
}

QString MakeVideoClip(const QString &folder, const QString &name, int width, int height, double seconds)
{
    const QString length = QString::number(seconds);
    return MakeMedia(folder, name,
                     {u"-f"_s, u"lavfi"_s, u"-i"_s, QStringLiteral("testsrc=size=%1x%2:rate=25:duration=%3").arg(width).arg(height).arg(length),
                      u"-f"_s, u"lavfi"_s, u"-i"_s, QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(length),
                      u"-ac"_s, u"2"_s, u"-c:v"_s, u"mjpeg"_s, u"-q:v"_s, u"5"_s, u"-c:a"_s, u"pcm_s16le"_s, u"-shortest"_s});
}

QString MakeWav(const QString &folder, const QString &name, double seconds)
{
    return MakeMedia(folder, name,
                     {u"-f"_s, u"lavfi"_s, u"-i"_s, QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                      u"-ac"_s, u"2"_s, u"-c:a"_s, u"pcm_s16le"_s});
}

QString MakeTurnedClip(const QString &folder, const QString &name, int width, int height, int degrees)
{
    const QString half = QStringLiteral("size=%1x%2:rate=15").arg(width / 2).arg(height);
    const QString plain = MakeMedia(folder, name + QStringLiteral(".plain.mp4"),
                                    {u"-f"_s, u"lavfi"_s, u"-i"_s, u"color=red:"_s + half, u"-f"_s, u"lavfi"_s, u"-i"_s, u"color=blue:"_s + half,
                                     u"-filter_complex"_s, u"[0][1]hstack,format=yuv420p"_s, u"-t"_s, u"2"_s, u"-c:v"_s, u"mpeg4"_s, u"-q:v"_s, u"2"_s});
    // ffmpeg keeps the tag in a container other than MP4 only when it is not spelt in small letters.
    const QString key = name.endsWith(QLatin1String(".mp4")) ? QStringLiteral("rotate") : QStringLiteral("ROTATE");
    return plain.isEmpty() ? QString()
                           : MakeMedia(folder, name, {u"-i"_s, plain, u"-c"_s, u"copy"_s, u"-metadata:s:v:0"_s, QStringLiteral("%1=%2").arg(key).arg(degrees)});
}

void MediaAndWorkFolders::makeMedia(const QString &name, const QStringList &ffmpegArguments)
{
    QVERIFY(!MakeMedia(mediaFolder(), name, ffmpegArguments).isEmpty());
}

QString MediaAndWorkFolders::folderOf(const QString &name, const QList<std::pair<QString, QString>> &copies) const
{
    const QString folder = work(name);
    QDir().mkpath(folder);
    for (const auto &[source, copy] : copies)
        QFile::copy(media(source), folder + u'/' + copy);
    return folder;
}
