// How long the preview takes from the open call to its news of the new stream, against an ffprobe run
// on the same file, both measured here in one run. The goal is a ratio of at most 1.0. The first open,
// which also loads the media engine's module as in the program, is reported on its own.
#include "platform/gui/Application.h"
#include "platform/gui/Services.h"
#include "source/gui/MediaModule.h"
#include "source/gui/MediaPlayer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 15;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

double millisecondsToNewStream(TMediaPlayer2 &player, const QString &file)
{
    QEventLoop loop;
    const auto connection = QObject::connect(&player, &TMediaPlayer2::NewStream, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    player.Open(file);
    loop.exec();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(connection);
    player.SetFileName(QString());
    return elapsed;
}

double millisecondsOfFfprobe(const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    run(QStringLiteral("ffprobe"), {u"-v"_s, u"error"_s, u"-show_format"_s, u"-show_streams"_s, file});
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString clip = dir.filePath(QStringLiteral("bench.avi"));
    if (!run(QStringLiteral("ffmpeg"), {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=640x480:rate=25:duration=20"_s,
                                         u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=20"_s, u"-c:v"_s, u"mjpeg"_s, u"-c:a"_s, u"pcm_s16le"_s,
                                         u"-shortest"_s, clip})) {
        out << "ffmpeg could not make the clip\n";
        return 1;
    }
    services().makeMediaBackend = [] { return MakeModuleMediaBackend(QCoreApplication::applicationDirPath()); };
    TMediaPlayer2 player;

    // The program's first open also loads the media engine.
    const double first = millisecondsToNewStream(player, clip);
    std::vector<double> preview;
    std::vector<double> ffprobe;
    for (int round = 0; round < Rounds; ++round) {
        preview.push_back(millisecondsToNewStream(player, clip));
        ffprobe.push_back(millisecondsOfFfprobe(clip));
    }
    const double ratio = median(preview) / median(ffprobe);
    out << QStringLiteral("open to new stream: %1 ms (median of %2)\n").arg(median(preview), 0, 'f', 2).arg(Rounds);
    out << QStringLiteral("ffprobe run:        %1 ms\n").arg(median(ffprobe), 0, 'f', 2);
    out << QStringLiteral("ratio:              %1 (goal: at most 1.0)\n").arg(ratio, 0, 'f', 2);
    out << QStringLiteral("the first open, which loads the media engine: %1 ms, %2 times an ffprobe run\n")
               .arg(first, 0, 'f', 2)
               .arg(first / median(ffprobe), 0, 'f', 2);
    return 0;
}
