#include "MediaMaker.h"

#include "Arguments.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

QString MakeMedia(const QString &folder, const QString &name, const QStringList &ffmpegArguments)
{
    const QString path = folder + u'/' + name;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 Arguments({"-hide_banner", "-loglevel", "error", "-y"}) + ffmpegArguments + QStringList{path});
    const bool finished = ffmpeg.waitForFinished(60000);
    if (!finished || ffmpeg.exitCode() != 0)
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), ffmpeg.readAllStandardError().constData());
    return finished && ffmpeg.exitCode() == 0 ? path : QString();
}

QString MakeVideoClip(const QString &folder, const QString &name, int width, int height, double seconds)
{
    const QString length = QString::number(seconds);
    return MakeMedia(folder, name,
                     Arguments({"-f", "lavfi", "-i",
                                QStringLiteral("testsrc=size=%1x%2:rate=25:duration=%3").arg(width).arg(height).arg(length),
                                "-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(length),
                                "-ac", "2", "-c:v", "mjpeg", "-q:v", "5", "-c:a", "pcm_s16le", "-shortest"}));
}

QString MakeWav(const QString &folder, const QString &name, double seconds)
{
    return MakeMedia(folder, name,
                     Arguments({"-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                                "-ac", "2", "-c:a", "pcm_s16le"}));
}

QString MakeTurnedClip(const QString &folder, const QString &name, int width, int height, int degrees)
{
    const QString half = QStringLiteral("size=%1x%2:rate=15").arg(width / 2).arg(height);
    const QString plain = MakeMedia(folder, name + QStringLiteral(".plain.mp4"),
                                    Arguments({"-f", "lavfi", "-i", u"color=red:"_s + half, "-f", "lavfi", "-i",
                                               u"color=blue:"_s + half, "-filter_complex", "[0][1]hstack,format=yuv420p",
                                               "-t", "2", "-c:v", "mpeg4", "-q:v", "2"}));
    // ffmpeg keeps the tag in a container other than MP4 only when it is not spelt in small letters.
    const QString key = name.endsWith(QLatin1String(".mp4")) ? QStringLiteral("rotate") : QStringLiteral("ROTATE");
    return plain.isEmpty() ? QString()
                           : MakeMedia(folder, name, Arguments({"-i", plain, "-c", "copy", "-metadata:s:v:0",
                                                                QStringLiteral("%1=%2").arg(key).arg(degrees)}));
}

void MediaAndWorkFolders::makeMedia(const QString &name, const QStringList &ffmpegArguments)
{
    QVERIFY(!MakeMedia(mediaFolder(), name, ffmpegArguments).isEmpty());
}

QString MediaAndWorkFolders::folderOf(const QString &name, const QList<std::pair<QString, QString>> &copies) const
{
    const QString folder = work(name);
    QDir().mkpath(folder);
    for (const auto &[source, copy] : copies) {
        QFile::copy(media(source), folder + u'/' + copy);
        // As cp -p keeps it, to the nanosecond: a copy is the same source to the utility as the file it
        // copies.
        struct stat original{};
        if (stat(QFile::encodeName(media(source)).constData(), &original) == 0) {
            const timespec times[2] = {original.st_atim, original.st_mtim};
            utimensat(AT_FDCWD, QFile::encodeName(folder + u'/' + copy).constData(), times, 0);
        }
    }
    return folder;
}
