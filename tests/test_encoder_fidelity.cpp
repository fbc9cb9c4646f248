// WM8EUTIL.EXE on media as they come from phones and cameras: whether the file it writes is what was
// asked, in its picture's shape, its bit rates and its container, read back with libavformat and
// GStreamer. The media are made at test time.
#include "Arguments.h"
#include "MediaMaker.h"
#include "TestMain.h"
#include "UtilityProcess.h"

#include "encoder/asked/SwitchCollector.h"
#include "encoder/console/TimeLeft.h"
#include "encoder/filter/FilterChain.h"
#include "encoder/filter/ColourTable.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/probe/PictureColour.h"

#include <QFile>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
}

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

using namespace Qt::StringLiterals;

namespace {

// Where the first picture of a file is red: "left", "right", "top" or "bottom", from a 4x4 copy
// of it that ffmpeg makes.
QString redSide(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 Arguments({"-v", "error", "-i", path, "-frames:v", "1", "-vf", "scale=4:4", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"}));
    ffmpeg.waitForFinished(30000);
    const QByteArray rgb = ffmpeg.readAllStandardOutput();
    if (rgb.size() != 48)
        return QStringLiteral("unreadable");
    const auto redness = [&](int x, int y) { return int(quint8(rgb[(y * 4 + x) * 3])) - int(quint8(rgb[(y * 4 + x) * 3 + 2])); };
    int left = 0, right = 0, top = 0, bottom = 0;
    for (int i = 0; i < 4; ++i) {
        left += redness(0, i);
        right += redness(3, i);
        top += redness(i, 0);
        bottom += redness(i, 3);
    }
    const int most = std::max({left, right, top, bottom});
    return most == left ? QStringLiteral("left") : most == right ? QStringLiteral("right") : most == top ? QStringLiteral("top") : QStringLiteral("bottom");
}

// The mean colour of a rectangle of the first picture as a player without colour tags shows it:
// BT.601, limited range; "r g b", each rounded.
QList<int> shownColour(const QString &path, const QRect &patch)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 Arguments({"-v", "error", "-i", path, "-frames:v", "1", "-vf"})
                     + QStringList{QStringLiteral("crop=%1:%2:%3:%4,scale=in_color_matrix=bt601:in_range=tv:out_range=pc,format=rgb24")
                                       .arg(patch.width()).arg(patch.height()).arg(patch.x()).arg(patch.y())}
                     + Arguments({"-f", "rawvideo", "-"}));
    ffmpeg.waitForFinished(30000);
    const QByteArray rgb = ffmpeg.readAllStandardOutput();
    const qsizetype pixels = rgb.size() / 3;
    QList<int> mean{0, 0, 0};
    for (int channel = 0; channel < 3 && pixels > 0; ++channel) {
        qint64 total = 0;
        for (qsizetype i = channel; i < rgb.size(); i += 3)
            total += quint8(rgb[i]);
        mean[channel] = int(std::lround(double(total) / double(pixels)));
    }
    return mean;
}

// Where libavformat's reader lands when asked to seek to this many seconds: the time of the first
// packet it reads there.
double ffmpegLanding(const QString &path, double seconds)
{
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return -1;
    double landed = -1;
    const int64_t target = int64_t(seconds * AV_TIME_BASE);
    AVPacket *packet = av_packet_alloc();
    if (avformat_find_stream_info(context, nullptr) >= 0 && avformat_seek_file(context, -1, INT64_MIN, target, target, 0) >= 0
        && av_read_frame(context, packet) >= 0)
        landed = double(packet->pts) * av_q2d(context->streams[packet->stream_index]->time_base);
    av_packet_free(&packet);
    avformat_close_input(&context);
    return landed;
}

// Where GStreamer's ASF reader lands when asked to seek to this many seconds: the time of the first
// buffer it hands on.
double gstreamerLanding(const QString &path, double seconds)
{
    GstElement *pipeline = gst_parse_launch("filesrc name=source ! asfdemux ! appsink name=sink sync=false", nullptr);
    if (!pipeline)
        return -1;
    GstElement *source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
    GstElement *sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_object_set(source, "location", QFile::encodeName(path).constData(), nullptr);
    double landed = -1;
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    if (gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_SECOND) == GST_STATE_CHANGE_SUCCESS
        && gst_element_seek_simple(pipeline, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, gint64(seconds * GST_SECOND))
        && gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_SECOND) == GST_STATE_CHANGE_SUCCESS) {
        if (GstSample *sample = gst_app_sink_pull_preroll(GST_APP_SINK(sink))) {
            landed = double(GST_BUFFER_PTS(gst_sample_get_buffer(sample))) / GST_SECOND;
            gst_sample_unref(sample);
        }
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(source);
    gst_object_unref(pipeline);
    return landed;
}

// A picture of patches, each PatchSide pixels wide, of the given linear-light BT.709 colours (1.0 is
// reference white), turned into HDR 10-bit Y'CbCr by zscale with the transfer given. The last patch
// is wider by Beyond pixels, so that the width is no multiple of 8 pixels, and the rows are fewer
// than a patch is wide.
constexpr int PatchSide = 16;
constexpr int Beyond = 6;

FrameHandle hdrChart(const QList<QList<float>> &light, const char *transfer)
{
    const int width = int(light.size()) * PatchSide + Beyond;
    FrameHandle chart = NewFrame();
    chart->format = AV_PIX_FMT_GBRPF32LE;
    chart->width = width;
    chart->height = PatchSide - 2;
    // zimg's widest vector code reads rows aligned to 64 bytes.
    if (av_frame_get_buffer(chart.get(), 64) < 0)
        return nullptr;
    for (int y = 0; y < chart->height; ++y)
        for (int x = 0; x < width; ++x) {
            const QList<float> &patch = light[std::min<qsizetype>(x / PatchSide, light.size() - 1)];
            // gbrpf32le holds green, blue and red planes.
            for (const auto &[plane, channel] : {std::pair{0, 1}, std::pair{1, 2}, std::pair{2, 0}})
                reinterpret_cast<float *>(chart->data[plane] + y * chart->linesize[plane])[x] = patch[channel];
        }
    FilterChain chain = FilterChain::forPicture(
        width, chart->height, AV_PIX_FMT_GBRPF32LE, {1, 25}, {1, 1}, {25, 1},
        QStringLiteral("zscale=tin=linear:pin=bt709:min=gbr:t=%1:p=2020:m=2020_ncl:r=limited:npl=203,format=yuv420p10le")
            .arg(QLatin1String(transfer)));
    chain.push(chart.get());
    chain.push(nullptr);
    FrameHandle hdr;
    chain.pull([&](AVFrame *frame) { hdr = TakeFrame(frame); });
    return hdr;
}

// The Y'CbCr of the middle of each patch of an 8-bit 4:2:0 picture of a chart, then of its last
// column.
QList<QList<int>> patchMiddles(const AVFrame &picture)
{
    const int y = PatchSide / 2;
    const auto at = [&](int x) {
        return QList<int>{picture.data[0][y * picture.linesize[0] + x], picture.data[1][y / 2 * picture.linesize[1] + x / 2],
                          picture.data[2][y / 2 * picture.linesize[2] + x / 2]};
    };
    QList<QList<int>> middles;
    for (int x = PatchSide / 2; x < picture.width - Beyond; x += PatchSide)
        middles += at(x);
    middles += at(picture.width - 1);
    return middles;
}

// Whether GStreamer's player decodes every stream of the file to its end without an error.
// The loudest sample of a file's sound as a player decodes it, 1.0 being full scale.
double soundPeak(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), Arguments({"-v", "error", "-i", path, "-map", "0:a", "-f", "f32le", "-"}));
    ffmpeg.waitForFinished(30000);
    const QByteArray samples = ffmpeg.readAllStandardOutput();
    float peak = 0;
    for (qsizetype at = 0; at + 4 <= samples.size(); at += 4)
        peak = std::max(peak, std::abs(qFromLittleEndian<float>(samples.constData() + at)));
    return peak;
}

bool gstreamerPlaysThrough(const QString &path)
{
    GstElement *player = gst_element_factory_make("playbin", nullptr);
    if (!player)
        return false;
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    g_object_set(player, "uri", uri.constData(), "video-sink", gst_element_factory_make("fakesink", nullptr), "audio-sink",
                 gst_element_factory_make("fakesink", nullptr), nullptr);
    gst_element_set_state(player, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(player);
    GstMessage *end = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool through = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(player, GST_STATE_NULL);
    gst_object_unref(player);
    return through;
}

SourceFacts filmSource()
{
    SourceFacts source;
    source.path = QStringLiteral("film.avi");
    source.format = QStringLiteral("avi");
    source.duration = 10;
    source.picture = PictureFacts{0, QStringLiteral("mpeg4"), 640, 480, {1, 1}, {30, 1}, 10.0};
    source.sound = SoundFacts{1, QStringLiteral("pcm_s16le"), 44100, 2, 10.0};
    return source;
}

} // namespace

class EncoderFidelityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    // Picture geometry
    void turnedPicturesStandUpright_data();
    void turnedPicturesStandUpright();
    void clippingWorksOnTheUprightPicture_data();
    void clippingWorksOnTheUprightPicture();

    // Colour
    void colourIsReadAsPlayersReadIt_data();
    void colourIsReadAsPlayersReadIt();
    void coloursComeOutAsDrawn_data();
    void coloursComeOutAsDrawn();
    void hdrIsToneMapped_data();
    void hdrIsToneMapped();
    void colourTableIsTheFilters_data();
    void colourTableIsTheFilters();

    // Rate control
    void constantRatesAreKeptOrReported_data();
    void constantRatesAreKeptOrReported();
    void firstTriesAreAsAsked_data();
    void firstTriesAreAsAsked();
    void droppedFramesKeepTheLengthAndKeyFrames();
    void presetsKeepTheirTotal_data();
    void presetsKeepTheirTotal();
    void timeLeftFollowsThePace_data();
    void timeLeftFollowsThePace();

    // Container
    void outputNamesOtherThanAsfAreNoted_data();
    void outputNamesOtherThanAsfAreNoted();
    void soundAloneSeeksWithinAFrame_data();
    void soundAloneSeeksWithinAFrame();
    void mixedDownSoundStaysWithinFullScale_data();
    void mixedDownSoundStaysWithinFullScale();
    void prerollIsTheBuffer_data();
    void prerollIsTheBuffer();

private:
    QString media(const QString &name) const { return media_.filePath(name); }
    QString output(const QString &name) const { return work_.filePath(name); }

    QTemporaryDir media_;
    QTemporaryDir work_;
};

void EncoderFidelityTest::initTestCase()
{
    QVERIFY(media_.isValid() && work_.isValid());
    gst_init(nullptr, nullptr);
    for (const int degrees : {90, 180, 270})
        QVERIFY(!MakeTurnedClip(media_.path(), QStringLiteral("turned%1.mp4").arg(degrees), 160, 90, degrees).isEmpty());
    QVERIFY(!MakeTurnedClip(media_.path(), QStringLiteral("tagged90.mkv"), 160, 90, 90).isEmpty());
    // Grain on a moving picture, as a camera gives it: more than a low rate holds at 640x480.
    QVERIFY(!MakeMedia(media_.path(), QStringLiteral("camera.avi"),
                       Arguments({"-f", "lavfi", "-i", "testsrc2=size=640x480:rate=25",
                                  "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100",
                                  "-t", "6", "-vf", "noise=alls=12:allf=t", "-c:v", "mpeg4", "-q:v", "4", "-c:a", "pcm_s16le", "-ac", "2"}))
                 .isEmpty());
    // A second of black, then a second of noise whose frames each need more than a small buffer.
    QVERIFY(!MakeMedia(media_.path(), QStringLiteral("black-then-noise.mkv"),
                       Arguments({"-f", "lavfi", "-i", "color=black:s=160x120:r=25:d=1[a];nullsrc=s=160x120:r=25:d=1,"
                                                       "geq=random(1)*255:128:128[b];[a][b]concat=n=2:v=1:a=0",
                                  "-c:v", "ffv1"}))
                 .isEmpty());
    QVERIFY(!MakeMedia(media_.path(), QStringLiteral("card.avi"),
                       Arguments({"-f", "lavfi", "-i", "color=gray:size=160x120:rate=25", "-t", "4", "-c:v", "mpeg4", "-q:v", "2"}))
                 .isEmpty());
    // What a new user tries first with the window's defaults.
    const QList<std::pair<QString, QStringList>> firstTries = {
        {u"pattern.mp4"_s, Arguments({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2", "-f", "lavfi", "-i",
                                      "sine=duration=2"})},
        {u"interlaced.mpg"_s, Arguments({"-f", "lavfi", "-i", "testsrc2=size=720x480:rate=30000/1001:duration=2", "-f", "lavfi",
                                         "-i", "sine=duration=2", "-vf", "setfield=tff", "-c:v", "mpeg2video", "-flags",
                                         "+ilme+ildct", "-b:v", "6M", "-c:a", "mp2"})},
        {u"dark.mp4"_s, Arguments({"-f", "lavfi", "-i", "color=c=0x101010:size=320x240:rate=25:duration=3", "-vf",
                                   "drawbox=enable='between(t,1.5,1.6)':c=white:t=fill"})},
        {u"frame.mp4"_s, Arguments({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-frames:v", "1"})},
        {u"detailed.mp4"_s, Arguments({"-f", "lavfi", "-i", "mandelbrot=size=320x240:rate=25", "-f", "lavfi", "-i",
                                       "anoisesrc=duration=4", "-t", "4"})},
        {u"hd.mp4"_s, Arguments({"-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=25:duration=2", "-c:v", "libx264", "-preset",
                                 "ultrafast"})},
        {u"small.mp4"_s, Arguments({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=4", "-f", "lavfi", "-i",
                                    "sine=duration=4"})},
    };
    for (const auto &[name, arguments] : firstTries)
        QVERIFY(!MakeMedia(media_.path(), name, arguments).isEmpty());

    // Two patches of known colour, RGB 48,192,96 and 192,48,128, as cameras and phones write them.
    const QStringList patches = Arguments({"-f", "lavfi", "-i", "color=c=0x30C060:s=640x360:d=0.2,format=rgb24[a];"
                                                               "color=c=0xC03080:s=640x360:d=0.2,format=rgb24[b];[a][b]hstack"});
    const auto drawn = [](const char *matrix, const char *range, const char *format) {
        return QStringList{u"-vf"_s, QStringLiteral("scale=out_color_matrix=%1:out_range=%2,format=%3")
                                         .arg(QLatin1String(matrix), QLatin1String(range), QLatin1String(format))};
    };
    const QStringList bt709 = Arguments({"-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709"});
    // The patches as a camera that records BT.2020 writes them, in SDR or HDR, with reference white at
    // SDR's white.
    const auto wide = [](const char *transfer) {
        return QStringList{u"-vf"_s, QStringLiteral("zscale=tin=bt709:pin=bt709:min=gbr:t=%1:p=2020:m=2020_ncl:r=limited:npl=203,"
                                                    "format=yuv420p10le").arg(QLatin1String(transfer)),
                           u"-colorspace"_s, u"bt2020nc"_s, u"-color_primaries"_s, u"bt2020"_s, u"-color_trc"_s, QLatin1String(transfer)};
    };
    const QList<std::pair<QString, QStringList>> colours = {
        {u"bt709.mp4"_s, patches + drawn("bt709", "tv", "yuv420p") + bt709 + Arguments({"-c:v", "libx264", "-qp", "0"})},
        {u"bt709-10bit.mkv"_s, patches + drawn("bt709", "tv", "yuv420p10le") + bt709
                                   + Arguments({"-c:v", "libx265", "-x265-params", "log-level=error", "-crf", "0"})},
        {u"phone.mkv"_s, patches + drawn("bt709", "pc", "yuv420p10le") + bt709
                             + Arguments({"-color_range", "pc", "-c:v", "libx265", "-x265-params", "log-level=error:range=full", "-crf", "0"})},
        {u"untagged.mp4"_s, patches + drawn("bt709", "tv", "yuv420p") + Arguments({"-c:v", "libx264", "-qp", "0"})},
        {u"bt601.mp4"_s, patches + drawn("bt601", "tv", "yuv420p") + Arguments({"-colorspace", "smpte170m", "-c:v", "libx264", "-qp", "0"})},
        {u"jpeg.avi"_s, patches + Arguments({"-pix_fmt", "yuvj420p", "-c:v", "mjpeg", "-q:v", "1"})},
        {u"animation.mov"_s, patches + Arguments({"-c:v", "qtrle"})},
        {u"bt2020.mkv"_s, patches + wide("bt2020-10") + Arguments({"-c:v", "libx265", "-x265-params"})
                              + QStringList{u"log-level=error:lossless=1:colorprim=bt2020:colormatrix=bt2020nc:transfer=bt2020-10"_s}},
        {u"hlg-patches.mkv"_s, patches + wide("arib-std-b67") + Arguments({"-c:v", "libx265", "-x265-params"})
                                   + QStringList{u"log-level=error:lossless=1:colorprim=bt2020:colormatrix=bt2020nc:transfer=arib-std-b67"_s}},
        {u"pq-patches.mkv"_s, patches + wide("smpte2084") + Arguments({"-c:v", "libx265", "-x265-params"})
                                  + QStringList{u"log-level=error:lossless=1:colorprim=bt2020:colormatrix=bt2020nc:transfer=smpte2084"_s}},
    };
    for (const auto &[name, arguments] : colours)
        QVERIFY(!MakeMedia(media_.path(), name, arguments).isEmpty());
    // Four bands of grey written as HDR values: peak white, reference white (HLG 75 %, PQ 58 % for
    // 203 cd/m²), a grey and a dark grey.
    const auto hdr = [](const char *transfer, int white) {
        return Arguments({"-f", "lavfi", "-i"})
            + QStringList{QStringLiteral("nullsrc=s=640x360:r=25:d=0.2,format=yuv420p10le,geq=lum='if(lt(X,160),940,if(lt(X,320),%1,"
                                         "if(lt(X,480),397,195)))':cb=512:cr=512").arg(white)}
            + Arguments({"-color_primaries", "bt2020", "-colorspace", "bt2020nc", "-color_trc"}) + QStringList{QLatin1String(transfer)}
            + Arguments({"-c:v", "libx265", "-x265-params"})
            + QStringList{QStringLiteral("log-level=error:colorprim=bt2020:colormatrix=bt2020nc:transfer=%1").arg(QLatin1String(transfer))};
    };
    QVERIFY(!MakeMedia(media_.path(), u"hlg.mkv"_s, hdr("arib-std-b67", 721)).isEmpty());
    QVERIFY(!MakeMedia(media_.path(), u"pq.mkv"_s, hdr("smpte2084", 572)).isEmpty());
    QVERIFY(!MakeMedia(media_.path(), QStringLiteral("tone.wav"),
                       Arguments({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "12", "-ac", "2"}))
                 .isEmpty());
}

void EncoderFidelityTest::turnedPicturesStandUpright_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("red");
    QTest::addColumn<QString>("told");

    // Where the red half shows is where ffmpeg and GStreamer show it when they play the source.
    QTest::newRow("a quarter turn counterclockwise") << "turned90.mp4" << QStringList{} << "wmv2 90x160" << "bottom"
                                                     << "picture mpeg4 90x160 at 15 fps, stored on its side and turned 270 degrees clockwise";
    QTest::newRow("upside down") << "turned180.mp4" << QStringList{} << "wmv2 160x90" << "right"
                                 << "picture mpeg4 160x90 at 15 fps, stored upside down and turned 180 degrees";
    QTest::newRow("a quarter turn clockwise") << "turned270.mp4" << QStringList{} << "wmv2 90x160" << "top"
                                              << "stored on its side and turned 90 degrees clockwise";
    QTest::newRow("the older rotate tag") << "tagged90.mkv" << QStringList{} << "wmv2 90x160" << "top"
                                          << "stored on its side and turned 90 degrees clockwise";
    QTest::newRow("a width alone keeps the upright shape") << "turned270.mp4" << Arguments({"-v_width", "180"}) << "wmv2 180x320" << "top"
                                                           << "turned 90 degrees";
    QTest::newRow("as stored without a turn") << "turned270.mp4.plain.mp4" << QStringList{} << "wmv2 160x90" << "left"
                                              << "picture mpeg4 160x90 at 15 fps\n";
}

void EncoderFidelityTest::turnedPicturesStandUpright()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    QFETCH(QString, picture);
    QFETCH(QString, red);
    QFETCH(QString, told);
    const QString out = output(QStringLiteral("upright.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out, "-v_mode", "2"}) + switches);
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(told), qPrintable(run.out));
    QVERIFY(ReadMedia(out).picture.startsWith(picture + u' '));
    QCOMPARE(redSide(out), red);
}

void EncoderFidelityTest::clippingWorksOnTheUprightPicture_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("clip"); // left, top, right and bottom margins of the upright picture
    QTest::addColumn<QString>("picture");
    // Each clip leaves mostly the blue half of the upright picture, and would leave mostly the red
    // half were it taken from the picture as stored, or turned the wrong way.
    QTest::newRow("a quarter turn clockwise, red at the top") << "turned270.mp4" << "0 60 0 0" << "wmv2 90x100";
    QTest::newRow("a quarter turn counterclockwise, red at the bottom") << "turned90.mp4" << "10 0 0 60" << "wmv2 80x100";
    QTest::newRow("upside down, red on the right") << "turned180.mp4" << "0 0 120 0" << "wmv2 40x90";
    QTest::newRow("as stored, red on the left") << "turned270.mp4.plain.mp4" << "120 0 0 0" << "wmv2 40x90";
}

// The clipping margins are those of the picture as it stands upright.
void EncoderFidelityTest::clippingWorksOnTheUprightPicture()
{
    QFETCH(QString, source);
    QFETCH(QString, clip);
    QFETCH(QString, picture);
    const QString out = output(QStringLiteral("clipped.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out, "-v_mode", "2", "-v_clip", clip}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const QString written = ReadMedia(out).picture;
    QVERIFY2(written.startsWith(picture + u' '), qPrintable(written));
    const QList<int> shown = shownColour(out, QRect(0, 0, 40, 90));
    QVERIFY2(shown[2] > shown[0] + 60, qPrintable(QStringLiteral("shown %1 %2 %3").arg(shown[0]).arg(shown[1]).arg(shown[2])));
}

void EncoderFidelityTest::colourIsReadAsPlayersReadIt_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("matrix"); // AVColorSpace
    QTest::addColumn<int>("transfer"); // AVColorTransferCharacteristic
    QTest::addColumn<int>("format");   // AVPixelFormat
    QTest::addColumn<int>("brightest"); // the brightest pixel the stream tells of, in cd/m²; 0: none
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("conversion"); // what the filters or the tone mapping hold; empty: nothing is converted
    const int untagged = AVCOL_SPC_UNSPECIFIED;
    const int sdr = AVCOL_TRC_BT709;
    const int yuv = AV_PIX_FMT_YUV420P;
    const int yuv10 = AV_PIX_FMT_YUV420P10LE;
    QTest::newRow("SD, untagged") << 720 << 576 << untagged << sdr << yuv << 0 << "" << "";
    QTest::newRow("a little wider than SD, untagged") << 1024 << 576 << untagged << sdr << yuv << 0 << "" << "";
    QTest::newRow("higher than SD, untagged") << 960 << 720 << untagged << sdr << yuv << 0 << "BT.709 (untagged, by its size)"
                                              << "colorspace=iall=bt709:all=bt709:space=bt470bg";
    QTest::newRow("HD width, untagged") << 1280 << 360 << untagged << sdr << yuv << 0 << "BT.709 (untagged, by its size)"
                                        << "colorspace=iall=bt709:all=bt709:space=bt470bg";
    QTest::newRow("HD tagged BT.601") << 1920 << 1080 << int(AVCOL_SPC_BT470BG) << sdr << yuv << 0 << "" << "";
    QTest::newRow("SD tagged BT.709") << 640 << 360 << int(AVCOL_SPC_BT709) << sdr << yuv << 0 << "BT.709"
                                      << "colorspace=iall=bt709:all=bt709:space=bt470bg";
    QTest::newRow("BT.2020 SDR: its primaries too") << 3840 << 2160 << int(AVCOL_SPC_BT2020_NCL) << int(AVCOL_TRC_BT2020_10) << yuv10 << 0
                                                    << "BT.2020, 10-bit" << "t=linear:p=9:npl=203,format=gbrpf32le,zscale=p=bt709,format=gbrpf32le";
    QTest::newRow("JPEG, full range") << 1280 << 720 << int(AVCOL_SPC_BT470BG) << sdr << int(AV_PIX_FMT_YUVJ420P) << 0 << "full range" << "";
    QTest::newRow("RGB at HD size") << 1280 << 720 << untagged << untagged << int(AV_PIX_FMT_RGB24) << 0 << "" << "";
    QTest::newRow("HLG, untagged matrix") << 1920 << 1080 << untagged << int(AVCOL_TRC_ARIB_STD_B67) << yuv10 << 0
                                          << "HDR HLG, BT.2020, 10-bit" << "tonemap=mobius:param=0.94:peak=4.9261";
    QTest::newRow("PQ up to its ceiling") << 3840 << 2160 << int(AVCOL_SPC_BT2020_NCL) << int(AVCOL_TRC_SMPTE2084) << yuv10 << 0
                                          << "HDR PQ, BT.2020, 10-bit" << "tonemap=mobius:param=0.94:peak=49.2611";
    QTest::newRow("PQ up to its brightest pixel") << 3840 << 2160 << int(AVCOL_SPC_BT2020_NCL) << int(AVCOL_TRC_SMPTE2084) << yuv10 << 1000
                                                  << "HDR PQ, BT.2020, 10-bit" << "tonemap=mobius:param=0.94:peak=4.9261";
}

// What a stream's tags say of its colour, or what players take it for where they say nothing, and
// how the picture is converted for that.
void EncoderFidelityTest::colourIsReadAsPlayersReadIt()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, matrix);
    QFETCH(int, transfer);
    QFETCH(int, format);
    QFETCH(int, brightest);
    QFETCH(QString, text);
    QFETCH(QString, conversion);
    const std::unique_ptr<AVFormatContext, void (*)(AVFormatContext *)> container(avformat_alloc_context(),
                                                                                  [](AVFormatContext *c) { avformat_free_context(c); });
    AVStream *stream = avformat_new_stream(container.get(), nullptr);
    QVERIFY(stream);
    AVCodecParameters *codec = stream->codecpar;
    codec->width = width;
    codec->height = height;
    codec->color_space = AVColorSpace(matrix);
    codec->color_trc = AVColorTransferCharacteristic(transfer);
    codec->format = format;
    if (brightest > 0) {
        size_t size = 0;
        AVContentLightMetadata *light = av_content_light_metadata_alloc(&size);
        light->MaxCLL = unsigned(brightest);
        QVERIFY(av_stream_add_side_data(stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, reinterpret_cast<uint8_t *>(light), size) >= 0);
    }
    const PictureColour colour = ColourOf(*stream);
    QCOMPARE(ColourText(colour), text);
    const QString converted = ColourFilters(colour).join(u',') + ColourTableFilters(colour);
    QVERIFY2(conversion.isEmpty() ? converted.isEmpty() : converted.contains(conversion), qPrintable(converted));
}

void EncoderFidelityTest::coloursComeOutAsDrawn_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("colour"); // as the source line names it
    QTest::addColumn<int>("width");      // of the output; the source is 1280 pixels wide
    QTest::newRow("BT.709 H.264") << "bt709.mp4" << ", BT.709" << 1280;
    QTest::newRow("BT.709 H.264 shrunk to a quarter") << "bt709.mp4" << ", BT.709" << 640;
    QTest::newRow("BT.709 10-bit HEVC") << "bt709-10bit.mkv" << ", BT.709, 10-bit" << 1280;
    QTest::newRow("a phone's full-range BT.709") << "phone.mkv" << ", BT.709, full range, 10-bit" << 1280;
    QTest::newRow("HD untagged") << "untagged.mp4" << ", BT.709 (untagged, by its size)" << 1280;
    QTest::newRow("BT.601 H.264") << "bt601.mp4" << "" << 1280;
    QTest::newRow("full-range MJPEG") << "jpeg.avi" << ", full range" << 1280;
    QTest::newRow("RGB at HD size, QuickTime Animation") << "animation.mov" << "" << 1280;
    QTest::newRow("RGB shrunk to a quarter") << "animation.mov" << "" << 640;
    QTest::newRow("BT.2020 SDR") << "bt2020.mkv" << ", BT.2020, 10-bit" << 1280;
    QTest::newRow("HDR HLG") << "hlg-patches.mkv" << ", HDR HLG, BT.2020, 10-bit" << 1280;
    QTest::newRow("HDR PQ") << "pq-patches.mkv" << ", HDR PQ, BT.2020, 10-bit" << 1280;
}

// A player shows each patch in the colour it was drawn in, within 6 levels, whatever the source's
// matrix, range, depth, primaries and dynamic range, and however much the picture is shrunk.
void EncoderFidelityTest::coloursComeOutAsDrawn()
{
    QFETCH(QString, source);
    QFETCH(QString, colour);
    QFETCH(int, width);
    const QString out = output(QStringLiteral("colour.wmv"));
    const int shrunk = 1280 / width;
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out, "-v_bitrate", "8000000", "-v_width"})
                                             + QStringList{QString::number(width), u"-v_height"_s, QString::number(360 / shrunk)});
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral(" at 25 fps%1\n").arg(colour)), qPrintable(run.out));
    const std::pair<QRect, QList<int>> patches[] = {{QRect(200, 100, 240, 160), {48, 192, 96}}, {QRect(840, 100, 240, 160), {192, 48, 128}}};
    for (const auto &[patch, drawn] : patches) {
        const QList<int> shown = shownColour(out, QRect(patch.topLeft() / shrunk, patch.size() / shrunk));
        for (int channel = 0; channel < 3; ++channel)
            QVERIFY2(std::abs(shown[channel] - drawn[channel]) <= 6,
                     qPrintable(QStringLiteral("shown %1 %2 %3").arg(shown[0]).arg(shown[1]).arg(shown[2])));
    }
}

void EncoderFidelityTest::hdrIsToneMapped_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("colour");
    QTest::newRow("HLG") << "hlg.mkv" << "HDR HLG, BT.2020, 10-bit";
    QTest::newRow("PQ") << "pq.mkv" << "HDR PQ, BT.2020, 10-bit";
}

// HDR as an SDR player should show it: reference white comes out as SDR's white, brighter than that
// stays brighter, greys stay neutral, and a dark grey stays dark; the console says so.
void EncoderFidelityTest::hdrIsToneMapped()
{
    QFETCH(QString, source);
    QFETCH(QString, colour);
    const QString out = output(QStringLiteral("hdr.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out, "-v_bitrate", "8000000"}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral(" at 25 fps, %1\n").arg(colour)), qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("Note      The picture is HDR: it is tone-mapped to standard dynamic range")),
             qPrintable(run.out));
    QList<int> greys;
    for (const int left : {40, 200, 360, 520}) {
        const QList<int> shown = shownColour(out, QRect(left, 100, 80, 160));
        QVERIFY2(std::max({shown[0], shown[1], shown[2]}) - std::min({shown[0], shown[1], shown[2]}) <= 3,
                 qPrintable(QStringLiteral("not neutral: %1 %2 %3").arg(shown[0]).arg(shown[1]).arg(shown[2])));
        greys += shown[1];
    }
    QVERIFY2(greys[1] >= 231 && greys[0] > greys[1] && greys[3] < 64 && greys[3] < greys[2] && greys[2] < greys[1],
             qPrintable(QStringLiteral("peak %1, reference white %2, grey %3, dark grey %4").arg(greys[0]).arg(greys[1]).arg(greys[2]).arg(greys[3])));
}

void EncoderFidelityTest::colourTableIsTheFilters_data()
{
    QTest::addColumn<int>("transfer"); // AVColorTransferCharacteristic
    QTest::newRow("HLG") << int(AVCOL_TRC_ARIB_STD_B67);
    QTest::newRow("PQ") << int(AVCOL_TRC_SMPTE2084);
}

// The colour table gives the colours that running its filters on every frame gives, within 2 levels,
// on a chart of greys from black to the peak and a colour checker's patches.
void EncoderFidelityTest::colourTableIsTheFilters()
{
    QFETCH(int, transfer);
    PictureColour colour;
    colour.matrix = AVCOL_SPC_BT2020_NCL;
    colour.primaries = AVCOL_PRI_BT2020;
    colour.transfer = AVColorTransferCharacteristic(transfer);
    colour.bitDepth = 10;
    colour.peak = 1000;
    // Linear light, 1.0 being reference white: greys up to the peak, then the colour checker but for its
    // cyan, whose red lies so near none that one code of a 10-bit source moves it by 2 levels.
    QList<QList<float>> light;
    for (const float grey : {0.0f, 0.002f, 0.05f, 0.2f, 0.6f, 0.94f, 1.0f, 1.5f, 2.5f, 4.9f})
        light += QList<float>{grey, grey, grey};
    const int checker[][3] = {{115, 82, 68}, {194, 150, 130}, {98, 122, 157}, {87, 108, 67}, {133, 128, 177}, {103, 189, 170},
                              {214, 126, 44}, {80, 91, 166}, {193, 90, 99}, {94, 60, 108}, {157, 188, 64}, {224, 163, 46},
                              {56, 61, 150}, {70, 148, 73}, {175, 54, 60}, {231, 199, 31}, {187, 86, 149}, {243, 243, 242},
                              {200, 200, 200}, {160, 160, 160}, {122, 122, 121}, {85, 85, 85}, {52, 52, 52}, {192, 32, 32}};
    for (const auto &rgb : checker)
        light += QList<float>{std::pow(rgb[0] / 255.0f, 2.4f), std::pow(rgb[1] / 255.0f, 2.4f), std::pow(rgb[2] / 255.0f, 2.4f)};
    // And BT.2020's red, green and blue, beyond BT.709's colours, at reference white and at the peak.
    for (const float level : {1.0f, 4.9f})
        light += {QList<float>{1.6605f * level, -0.1246f * level, -0.0182f * level},
                  QList<float>{-0.5876f * level, 1.1329f * level, -0.1006f * level},
                  QList<float>{-0.0728f * level, -0.0083f * level, 1.1187f * level}};
    const FrameHandle hdr = hdrChart(light, transfer == AVCOL_TRC_SMPTE2084 ? "smpte2084" : "arib-std-b67");
    QVERIFY(hdr);

    FrameHandle tabled = NewFrame();
    tabled->format = AV_PIX_FMT_YUV420P;
    tabled->width = hdr->width;
    tabled->height = hdr->height;
    QVERIFY(av_frame_get_buffer(tabled.get(), 0) >= 0);
    ColourTable::sample(ColourTableFilters(colour)).apply(*hdr, *tabled);

    // The filters on every pixel, with a colour beyond BT.709's brought to its edge in linear light as
    // the table brings it: the filters' own gamma of negative light differs from processor to processor.
    const auto filtered = [&](AVFrame &frame, AVPixelFormat format, const QString &description) {
        FilterChain filters = FilterChain::forPicture(frame.width, frame.height, format, {1, 25}, {1, 1}, {25, 1}, description);
        filters.push(&frame);
        filters.push(nullptr);
        FrameHandle result;
        filters.pull([&](AVFrame *made) { result = TakeFrame(made); });
        return result;
    };
    const FrameHandle linear = filtered(*hdr, AV_PIX_FMT_YUV420P10LE, ColourTableFilters(colour));
    QVERIFY(linear && av_frame_make_writable(linear.get()) >= 0);
    for (int plane = 0; plane < 3; ++plane)
        for (int row = 0; row < linear->height; ++row) {
            auto *values = reinterpret_cast<float *>(linear->data[plane] + row * linear->linesize[plane]);
            std::transform(values, values + linear->width, values, [](float value) { return std::max(value, 0.0f); });
        }
    const FrameHandle shown = filtered(*linear, AV_PIX_FMT_GBRPF32LE, ColourTableEnd() + u",format=yuv420p");
    QVERIFY(shown);

    const QList<QList<int>> fromTable = patchMiddles(*tabled);
    const QList<QList<int>> fromFilters = patchMiddles(*shown);
    const auto text = [](const QList<int> &yuv) { return QStringLiteral("%1 %2 %3").arg(yuv[0]).arg(yuv[1]).arg(yuv[2]); };
    for (qsizetype patch = 0; patch < fromTable.size(); ++patch)
        for (int component = 0; component < 3; ++component)
            QVERIFY2(std::abs(fromTable[patch][component] - fromFilters[patch][component]) <= 2,
                     qPrintable(QStringLiteral("patch %1: the table gives %2, the filters %3")
                                    .arg(patch)
                                    .arg(text(fromTable[patch]), text(fromFilters[patch]))));
    // Reference white comes out as SDR's white, and the peak whiter still.
    QVERIFY2(fromTable[6][0] >= 231 && fromTable[9][0] > fromTable[6][0], qPrintable(QStringLiteral("%1, %2").arg(fromTable[6][0]).arg(fromTable[9][0])));
}

void EncoderFidelityTest::constantRatesAreKeptOrReported_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("told");

    QTest::newRow("one pass within reach") << "camera.avi" << Arguments({"-v_bitrate", "800000"}) << 0 << "Checked";
    QTest::newRow("one pass below the picture's need") << "camera.avi" << Arguments({"-v_bitrate", "100000", "-v_buffer", "1000"}) << 0
                                                       << "frames were dropped";
    QTest::newRow("one pass, half size") << "camera.avi" << Arguments({"-v_bitrate", "150000", "-v_width", "320"}) << 0 << "Checked";
    QTest::newRow("two passes within reach") << "camera.avi" << Arguments({"-v_mode", "1", "-v_bitrate", "800000"}) << 0 << "Checked";
    QTest::newRow("two passes below the picture's need")
        << "camera.avi" << Arguments({"-v_mode", "1", "-v_bitrate", "50000"}) << 4
        << "Two passes could not fit it into 50.0 kbit/s even at the coarsest quantiser, and encoded it at ";
    QTest::newRow("more than a plain picture can use") << "card.avi" << Arguments({"-v_bitrate", "2000000"}) << 0
                                                       << "Note      The picture needed only ";
    QTest::newRow("black, then frames larger than the buffer")
        << "black-then-noise.mkv" << Arguments({"-v_bitrate", "100000", "-v_buffer", "100"}) << 4
        << "the frame there alone being";
}

// A constant rate means to a player what it says: one that receives the picture at that rate and
// starts once the preroll its header declares, the buffer shown, has passed waits no longer than a
// frame, or 3 % of the buffer; a picture that needs less is as asked, and told so only where it is.
// Where the file differs, a player would have to wait.
void EncoderFidelityTest::constantRatesAreKeptOrReported()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    QFETCH(int, exitCode);
    QFETCH(QString, told);
    const QString out = output(QStringLiteral("rate.wmv"));
    // A file that differs keeps the name where no older file has it.
    QFile::remove(out);
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out}) + switches);
    QVERIFY2(run.exitCode == exitCode, qPrintable(Describe(run)));
    QVERIFY2(QString(run.out + run.err).contains(told), qPrintable(Describe(run)));

    QVERIFY2(exitCode == 0 || !run.out.contains(QLatin1String("needed only")), qPrintable(run.out));

    const WrittenMedia written = ReadMedia(out);
    const std::optional<PictureRate> rate = ShownPictureRate(run.out);
    QVERIFY2(rate, qPrintable(run.out));
    QCOMPARE(written.prerollMs, int(std::lround(rate->bufferSeconds * 1000)));
    const double wait = written.longestPictureWait(rate->bitRate, written.prerollMs / 1000.0);
    QVERIFY2((wait <= rate->allowedWait()) == (exitCode == 0), qPrintable(QStringLiteral("a player waits %1 s").arg(wait)));
}

void EncoderFidelityTest::firstTriesAreAsAsked_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("told");
    const QString fewerBits = QStringLiteral("Note      The picture needed only ");
    QTest::newRow("test pattern") << "pattern.mp4" << QStringList() << fewerBits;
    QTest::newRow("interlaced MPEG-2") << "interlaced.mpg" << QStringList() << "Checked";
    QTest::newRow("1080p") << "hd.mp4" << QStringList() << "Checked";
    QTest::newRow("dark with a flash") << "dark.mp4" << QStringList() << fewerBits;
    QTest::newRow("a single frame") << "frame.mp4" << QStringList() << "Checked";
    QTest::newRow("av20 on a detailed picture") << "detailed.mp4" << Arguments({"-profile", "av20"}) << "Checked";
    QTest::newRow("av20") << "small.mp4" << Arguments({"-profile", "av20"}) << "Checked";
    QTest::newRow("av32") << "small.mp4" << Arguments({"-profile", "av32"}) << "Checked";
    QTest::newRow("two passes, a picture that fits") << "pattern.mp4" << Arguments({"-v_mode", "1"}) << "Checked";
}

// What a new user tries first, most of it with the window's defaults, is checked as asked with
// every frame kept: a player that receives the picture at its rate and waits the preroll its header
// declares does not wait again, a picture that needs fewer bits is no fault, and the new file takes
// the place of an older one.
void EncoderFidelityTest::firstTriesAreAsAsked()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    QFETCH(QString, told);
    const QString out = output(QStringLiteral("first.wmv"));
    QFile older(out);
    QVERIFY(older.open(QIODevice::WriteOnly) && older.write("an older file") > 0);
    older.close();
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out}) + switches);
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(told), qPrintable(Describe(run)));
    QVERIFY2(!run.out.contains(QLatin1String("frames were dropped")), qPrintable(run.out));

    const WrittenMedia written = ReadMedia(out);
    QVERIFY(written.readable);
    const std::optional<PictureRate> rate = ShownPictureRate(run.out);
    QVERIFY2(rate, qPrintable(run.out));
    const double wait = written.longestPictureWait(rate->bitRate, written.prerollMs / 1000.0);
    QVERIFY2(wait <= rate->allowedWait(), qPrintable(QStringLiteral("a player waits %1 s").arg(wait)));
}

void EncoderFidelityTest::droppedFramesKeepTheLengthAndKeyFrames()
{
    const QString out = output(QStringLiteral("dropped.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(QStringLiteral("camera.avi")), "-output", out, "-a_setting", "0",
                                                        "-v_bitrate", "150000", "-v_keydist", "1"}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY2(run.out.contains(QStringLiteral("frames were dropped")), qPrintable(run.out));
    const WrittenMedia written = ReadMedia(out);
    QVERIFY2(written.pictureStarts.size() < 100, qPrintable(QString::number(written.pictureStarts.size())));
    // The last frame is kept, so the picture lasts as long as the source.
    QVERIFY2(written.pictureStarts.last() > 6 - 0.1, qPrintable(QString::number(written.pictureStarts.last())));
    // A second after a key frame, the next frame kept is a key frame, however many were dropped.
    QVERIFY(written.keyFrames >= 6);
    for (int i = 1; i < written.keyFrameStarts.size(); ++i)
        for (const double start : written.pictureStarts)
            QVERIFY2(start < written.keyFrameStarts[i - 1] + 1 - 0.001 || start >= written.keyFrameStarts[i],
                     qPrintable(QStringLiteral("a frame at %1 between the key frames at %2 and %3")
                                    .arg(start).arg(written.keyFrameStarts[i - 1]).arg(written.keyFrameStarts[i])));
    // Every frame kept is in its place on the 25 fps grid.
    for (const double start : written.pictureStarts)
        QVERIFY2(std::abs(start * 25 - std::round(start * 25)) <= 0.03, qPrintable(QString::number(start)));
}

void EncoderFidelityTest::presetsKeepTheirTotal_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("sound");
    QTest::addColumn<QString>("told");

    QTest::newRow("av20, whose sound alone is more") << Arguments({"-profile", "av20"}) << 8000 << 24000
                                                     << "The profile av20 makes files of 20 kbit/s in all, but its sound alone takes 24 "
                                                        "kbit/s at the least: the file will be about 32 kbit/s, 24 for the sound and 8 for the picture.";
    QTest::newRow("av32") << Arguments({"-profile", "av32"}) << 8000 << 24000
                          << "The picture gives up the 14 kbit/s the sound was raised by, 8 kbit/s instead of 22, so that the file "
                             "keeps its 32 kbit/s in all.";
    QTest::newRow("av100") << Arguments({"-profile", "av100"}) << 76000 << 24000 << "so that the file keeps its 100 kbit/s in all.";
    QTest::newRow("a lower sound chosen for av100") << Arguments({"-profile", "av100", "-a_setting", "8_11_1"}) << 68000 << 24000
                                                    << "The picture gives up the 16 kbit/s";
    QTest::newRow("a picture rate chosen stands") << Arguments({"-profile", "av32", "-v_bitrate", "30000"}) << 30000 << 24000 << "";
    QTest::newRow("quality, not a rate") << Arguments({"-profile", "av32", "-v_mode", "2"}) << 22000 << 24000 << "";
    QTest::newRow("sound within reach") << Arguments({"-profile", "av225"}) << 193000 << 32000 << "";
}

void EncoderFidelityTest::presetsKeepTheirTotal()
{
    QFETCH(QStringList, switches);
    QFETCH(int, picture);
    QFETCH(int, sound);
    QFETCH(QString, told);
    const EncodePlan plan = PlanEncode(ParseSettings(CollectSwitches(Arguments({"-input", "film.avi", "-output", "film.wmv"}) + switches)),
                                       filmSource());
    QCOMPARE(plan.picture->bitRate, picture);
    QCOMPARE(plan.sound->bitRate, sound);
    const QString notes = plan.notes.join(u'\n');
    if (told.isEmpty())
        QVERIFY2(!notes.contains(QStringLiteral("in all")), qPrintable(notes));
    else
        QVERIFY2(notes.contains(told), qPrintable(notes));
}

void EncoderFidelityTest::timeLeftFollowsThePace_data()
{
    // Reports of pass, passes, part done and seconds since the encode began; the time left after
    // the last of them, or -1 for none yet.
    QTest::addColumn<QList<QList<double>>>("reports");
    QTest::addColumn<double>("left");
    QTest::newRow("too early to tell") << QList<QList<double>>{{1, 1, 0, 0.2}, {1, 1, 0.005, 0.4}} << -1.0;
    QTest::newRow("a slow start does not count") << QList<QList<double>>{{1, 1, 0, 0}, {1, 1, 0, 2}, {1, 1, 0.1, 3}, {1, 1, 0.2, 4}}
                                                 << 8.0;
    QTest::newRow("the first of two passes counts the second")
        << QList<QList<double>>{{1, 2, 0, 0}, {1, 2, 0.01, 1}, {1, 2, 0.5, 5.9}} << 16.0;
    QTest::newRow("early in the second pass, the first's length")
        << QList<QList<double>>{{1, 2, 0, 0}, {1, 2, 0.5, 5}, {1, 2, 1, 10}, {2, 2, 0, 10}, {2, 2, 0.005, 10.2}} << 9.95;
    QTest::newRow("later in the second pass, its own pace")
        << QList<QList<double>>{{1, 2, 0, 0}, {1, 2, 1, 10}, {2, 2, 0, 10}, {2, 2, 0.1, 11}, {2, 2, 0.3, 13}} << 7.0;
}

void EncoderFidelityTest::timeLeftFollowsThePace()
{
    QFETCH(QList<QList<double>>, reports);
    QFETCH(double, left);
    TimeLeft estimate;
    for (const QList<double> &report : reports)
        estimate.observe(EncodeProgress{int(report[0]), int(report[1]), report[2], 0}, report[3]);
    if (left < 0)
        QVERIFY(!estimate.seconds());
    else
        QVERIFY2(estimate.seconds() && std::abs(*estimate.seconds() - left) < 0.01,
                 qPrintable(QString::number(estimate.seconds().value_or(-1))));
}

void EncoderFidelityTest::outputNamesOtherThanAsfAreNoted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("told");
    QTest::newRow("avi") << "film.avi" << "film.avi\" ends in .avi, but the file is an ASF (Windows Media) file whatever its name";
    QTest::newRow("mp4") << "film.mp4" << "film.mp4\" ends in .mp4, but the file is an ASF";
    QTest::newRow("no extension") << "film" << "film\" has no extension, but the file is an ASF";
    QTest::newRow("wmv in capitals") << "film.WMV" << "";
    QTest::newRow("asf") << "film.asf" << "";
}

void EncoderFidelityTest::outputNamesOtherThanAsfAreNoted()
{
    QFETCH(QString, name);
    QFETCH(QString, told);
    const QString out = output(name);
    const UtilityRun run =
        RunUtilityProcess(Arguments({"-input", media(QStringLiteral("card.avi")), "-output", out, "-v_mode", "2"}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    QVERIFY(ReadMedia(out).picture.startsWith(QStringLiteral("wmv2 ")));
    QCOMPARE(run.out.contains(QStringLiteral("the file is an ASF")), !told.isEmpty());
    QVERIFY2(run.out.contains(told), qPrintable(run.out));
}

void EncoderFidelityTest::soundAloneSeeksWithinAFrame_data()
{
    QTest::addColumn<QString>("setting");
    QTest::newRow("default, 64 kbit/s at 44.1 kHz") << "64_44_2";
    QTest::newRow("raised to 24 kbit/s at 22.05 kHz") << "20_22_1";
    QTest::newRow("32 kbit/s at 16 kHz") << "16_16_1";
    QTest::newRow("192 kbit/s at 48 kHz") << "192_48_2";
}

void EncoderFidelityTest::soundAloneSeeksWithinAFrame()
{
    QFETCH(QString, setting);
    const QString out = output(QStringLiteral("tone.wma"));
    const UtilityRun run =
        RunUtilityProcess(Arguments({"-input", media(QStringLiteral("tone.wav")), "-output", out, "-a_setting", setting}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    for (const double target : {6.0, 7.3, 9.87}) {
        const double ffmpeg = ffmpegLanding(out, target);
        const double gstreamer = gstreamerLanding(out, target);
        QVERIFY2(std::abs(ffmpeg - target) <= 0.05, qPrintable(QStringLiteral("ffmpeg lands at %1 for %2").arg(ffmpeg).arg(target)));
        QVERIFY2(std::abs(gstreamer - target) <= 0.05, qPrintable(QStringLiteral("GStreamer lands at %1 for %2").arg(gstreamer).arg(target)));
    }
}

void EncoderFidelityTest::mixedDownSoundStaysWithinFullScale_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<double>("lowest");
    // The same tone, at 0.875 of full scale, in every channel of the source.
    QTest::newRow("5.1 to stereo") << "5.1" << 6 << "128_44_2" << 0.8;
    QTest::newRow("16 channels to stereo") << "hexadecagonal" << 16 << "128_44_2" << 0.8;
    QTest::newRow("stereo to mono") << "stereo" << 2 << "32_44_1" << 0.8;
    QTest::newRow("stereo stays as loud") << "stereo" << 2 << "128_44_2" << 0.8;
    QTest::newRow("mono to stereo, as before") << "mono" << 1 << "128_44_2" << 0.6;
}

// Channels added together for fewer speakers must not pass full scale, where every player clips
// them into a crackle; a loud film's 5.1 would otherwise come out distorted.
void EncoderFidelityTest::mixedDownSoundStaysWithinFullScale()
{
    QFETCH(QString, layout);
    QFETCH(int, channels);
    QFETCH(QString, setting);
    QFETCH(double, lowest);
    QStringList pan{layout};
    for (int channel = 0; channel < channels; ++channel)
        pan += QStringLiteral("c%1=c0").arg(channel);
    const QString source = MakeMedia(media_.path(), QStringLiteral("loud-%1.wav").arg(layout),
                                     Arguments({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=2,volume=7", "-af"})
                                         + QStringList{u"pan="_s + pan.join(u'|')} + Arguments({"-c:a", "pcm_s16le"}));
    QVERIFY(!source.isEmpty());
    const QString out = output(QStringLiteral("mixed.wma"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", source, "-output", out, "-a_setting", setting}));
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const double peak = soundPeak(out);
    QVERIFY2(peak <= 1.0 && peak >= lowest, qPrintable(QStringLiteral("peak %1").arg(peak)));
}

void EncoderFidelityTest::prerollIsTheBuffer_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("preroll");
    const QStringList everySecond = Arguments({"-v_keydist", "1", "-v_bitrate", "800000"});
    QTest::newRow("a short buffer") << "camera.avi" << everySecond + Arguments({"-v_buffer", "500"}) << 500;
    QTest::newRow("shorter than the ASF muxer's fixed preroll") << "camera.avi" << everySecond + Arguments({"-v_buffer", "3000"}) << 3000;
    QTest::newRow("a long buffer") << "camera.avi" << everySecond + Arguments({"-v_buffer", "8000"}) << 8000;
    QTest::newRow("two passes") << "camera.avi" << everySecond + Arguments({"-v_mode", "1", "-v_buffer", "2000"}) << 2000;
    QTest::newRow("a variable rate waits the default") << "camera.avi" << everySecond + Arguments({"-v_mode", "2"}) << 5000;
    // A frame of 2048 sound samples at 44.1 kHz.
    QTest::newRow("sound alone waits one frame") << "tone.wav" << QStringList() << 47;
}

// A player waits what the file's header declares, and that is the buffer; every reader starts the
// file at its time 0, GStreamer plays it through, and a seek lands on the key frame before.
void EncoderFidelityTest::prerollIsTheBuffer()
{
    QFETCH(QString, source);
    QFETCH(QStringList, switches);
    QFETCH(int, preroll);
    const QString out = output(QStringLiteral("preroll.wmv"));
    const UtilityRun run = RunUtilityProcess(Arguments({"-input", media(source), "-output", out}) + switches);
    QVERIFY2(run.exitCode == 0, qPrintable(Describe(run)));
    const WrittenMedia written = ReadMedia(out);
    QCOMPARE(written.prerollMs, preroll);
    QVERIFY2(std::abs(written.startTime) < 0.001, qPrintable(QString::number(written.startTime)));
    QVERIFY(gstreamerPlaysThrough(out));
    if (written.picture.isEmpty())
        return;
    for (const double target : {2.5, 4.2}) {
        const double ffmpeg = ffmpegLanding(out, target);
        const double gstreamer = gstreamerLanding(out, target);
        // A key frame every second; a sound frame may come just before it.
        QVERIFY2(ffmpeg > std::floor(target) - 0.1 && ffmpeg <= target, qPrintable(QStringLiteral("ffmpeg lands at %1 for %2").arg(ffmpeg).arg(target)));
        QVERIFY2(gstreamer > std::floor(target) - 0.1 && gstreamer <= target,
                 qPrintable(QStringLiteral("GStreamer lands at %1 for %2").arg(gstreamer).arg(target)));
    }
}

QUILLMARK_TEST_MAIN(EncoderFidelityTest)
#include "test_encoder_fidelity.moc"
