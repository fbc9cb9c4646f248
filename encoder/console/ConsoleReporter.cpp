#include "encoder/console/ConsoleReporter.h"

#include "encoder/asked/Help.h"
#include "encoder/encode/StreamEncoder.h"

#include <QFileInfo>

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

QString seconds(double value)
{
    return QString::number(value, 'f', 3) + QStringLiteral(" s");
}

QString channels(int count)
{
    return count == 1 ? QStringLiteral("1 channel") : QStringLiteral("%1 channels").arg(count);
}

// The picture's colour where it is not plain standard definition.
QString colourText(const PictureColour &colour)
{
    const QString text = ColourText(colour);
    return text.isEmpty() ? text : QStringLiteral(", ") + text;
}

// A list of names short enough to read, however many files a folder holds.
QString someNames(const QStringList &names)
{
    constexpr qsizetype Shown = 20;
    if (names.size() <= Shown)
        return names.join(QStringLiteral(", "));
    return names.first(Shown).join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(names.size() - Shown);
}

// How a picture stored turned is shown, as the players show it.
QString turnText(int rotation)
{
    if (rotation == 180)
        return QStringLiteral(", stored upside down and turned 180 degrees to stand upright");
    if (rotation != 0)
        return QStringLiteral(", stored on its side and turned %1 degrees clockwise to stand upright").arg(rotation);
    return {};
}

QString modeText(const PicturePlan &video)
{
    const QString rate = QStringLiteral("%1 bit/s").arg(video.bitRate);
    switch (video.mode) {
    case RateMode::CbrOnePass:
    case RateMode::CbrTwoPass:
        return QStringLiteral("CBR, %1, %2, buffer %3 ms, quality %4")
            .arg(video.mode == RateMode::CbrOnePass ? QStringLiteral("one pass") : QStringLiteral("two pass"), rate)
            .arg(video.bufferMs).arg(video.quality);
    case RateMode::VbrQuality: return QStringLiteral("VBR, one pass, quality %1").arg(video.quality);
    case RateMode::VbrTwoPass: return QStringLiteral("VBR, two pass, %1").arg(rate);
    }
    return {};
}

QString preprocessingText(Preprocessing method)
{
    switch (method) {
    case Preprocessing::None: return {};
    case Preprocessing::Deinterlace: return QStringLiteral("; deinterlaced");
    case Preprocessing::DeinterlaceHalfSize: return QStringLiteral("; deinterlaced, half size");
    case Preprocessing::DeinterlaceHalfSizeDoubleRate: return QStringLiteral("; deinterlaced, half size, double frame rate");
    case Preprocessing::DeinterlaceHalfHeightDoubleRate: return QStringLiteral("; deinterlaced, half height, double frame rate");
    case Preprocessing::InverseTelecine: return QStringLiteral("; inverse telecine");
    }
    return {};
}

QString pictureText(const PicturePlan &video)
{
    QString text = QStringLiteral("%1 (%2) %3x%4 at %5 fps; %6; a key frame every %7 s")
                       .arg(video.codec == VideoCodec::Wmv7 ? QStringLiteral("WMV7") : QStringLiteral("WMV8"),
                            QLatin1String(EncoderName(video.codec)))
                       .arg(video.width).arg(video.height)
                       .arg(number(av_q2d(video.frameRate)), modeText(video))
                       .arg(video.keyDistance);
    text += preprocessingText(video.preprocessing);
    if (video.crop)
        text += QStringLiteral("; kept %1x%2 from %3,%4 of the source")
                    .arg(video.crop->width).arg(video.crop->height).arg(video.crop->x).arg(video.crop->y);
    return text;
}

} // namespace

ConsoleReporter::ConsoleReporter(Terminal &terminal) : terminal_(terminal)
{
}

ConsoleReporter::ConsoleReporter(Terminal &terminal, FolderProgress &folder, size_t file, bool held)
    : terminal_(terminal), folder_(&folder), file_(file), held_(held)
{
}

void ConsoleReporter::show(const ConsoleLine &line)
{
    if (held_)
        heldLines_.push_back(line);
    else
        terminal_.print({line});
}

void ConsoleReporter::release()
{
    terminal_.print(heldLines_);
    heldLines_.clear();
}

void ConsoleReporter::line(const QString &label, const QString &text)
{
    show({false, label.leftJustified(9) + u' ' + text});
}

void ConsoleReporter::usage()
{
    for (const QString &text : UsageText().split(u'\n', Qt::SkipEmptyParts))
        show({true, text});
}

void ConsoleReporter::failure(const QString &message)
{
    show({true, message});
}

void ConsoleReporter::source(const SourceFacts &facts)
{
    QStringList parts{QStringLiteral("%1, %2").arg(facts.format, seconds(facts.duration))};
    if (facts.picture)
        parts += QStringLiteral("picture %1 %2x%3 at %4 fps%5")
                     .arg(facts.picture->codec).arg(facts.picture->width).arg(facts.picture->height)
                     .arg(number(av_q2d(facts.picture->frameRate)),
                          colourText(facts.picture->colour) + turnText(facts.picture->rotation));
    if (facts.sound)
        parts += QStringLiteral("sound %1 %2 Hz, %3").arg(facts.sound->codec).arg(facts.sound->sampleRate).arg(channels(facts.sound->channels));
    line(QStringLiteral("Source"), facts.path);
    line(QString(), parts.join(QStringLiteral("; ")));
}

void ConsoleReporter::plan(const EncodePlan &plan, const QString &output)
{
    line(QStringLiteral("Output"), output);
    line(QStringLiteral("Picture"), plan.picture ? pictureText(*plan.picture) : QStringLiteral("none"));
    line(QStringLiteral("Sound"), plan.sound ? QStringLiteral("WMA (%1) %2 kbit/s, %3 Hz, %4")
                                                   .arg(QLatin1String(SoundEncoderName))
                                                   .arg(plan.sound->bitRate / 1000).arg(plan.sound->sampleRate)
                                                   .arg(channels(plan.sound->channels))
                                             : QStringLiteral("none"));
    if (plan.start > 0 || plan.end)
        line(QStringLiteral("Section"), QStringLiteral("%1 to %2").arg(seconds(plan.start), plan.end ? seconds(*plan.end) : QStringLiteral("the end")));
    for (const QString &text : plan.notes)
        note(text);
    pass_ = 0;
    timeLeft_ = TimeLeft();
    sinceStart_.start();
}

void ConsoleReporter::note(const QString &text)
{
    line(QStringLiteral("Note"), text);
}

void ConsoleReporter::progress(const EncodeProgress &progress)
{
    if (folder_) {
        folder_->update(file_, (progress.pass - 1 + progress.done) / progress.passes);
        return;
    }
    timeLeft_.observe(progress, double(sinceStart_.elapsed()) / 1000);
    const bool newPass = progress.pass != pass_;
    if (newPass) {
        pass_ = progress.pass;
        sincePass_.start();
    } else if (progress.done < 1 && sinceShown_.isValid() && sinceShown_.elapsed() < ProgressInterval) {
        return;
    }
    sinceShown_.start();
    const double passSeconds = double(sincePass_.elapsed()) / 1000;
    QString text = QStringLiteral("Pass %1/%2 %3%").arg(progress.pass).arg(progress.passes).arg(int(progress.done * 100), 4);
    if (progress.frames > 0 && passSeconds > 0)
        text += QStringLiteral("  %1 fps").arg(progress.frames / passSeconds, 7, 'f', 1);
    if (const auto left = timeLeft_.seconds())
        text += QStringLiteral("  %1 left").arg(MinutesAndSeconds(*left));
    terminal_.progress(text, newPass);
}

void ConsoleReporter::written(const QString &path, const WrittenFile &file)
{
    line(QStringLiteral("Written"), path);
    const double bitRate = file.duration > 0 ? double(file.size) * 8 / file.duration / 1000 : 0;
    line(QString(), QStringLiteral("%1, %2 bytes, %3 kbit/s on average").arg(seconds(file.duration)).arg(file.size).arg(int(bitRate + 0.5)));
}

void ConsoleReporter::differences(const QStringList &differences)
{
    if (differences.isEmpty()) {
        line(QStringLiteral("Checked"), QStringLiteral("streams, picture size, frame rate, duration, bit rates and content description are as asked"));
        return;
    }
    for (const QString &difference : differences)
        failure(QStringLiteral("Differs   ") + difference);
}

void ConsoleReporter::keptOlder(const QString &output, const QString &placed)
{
    line(QStringLiteral("Kept"), QStringLiteral("%1, the older file, stays in place: the new file differs from what was asked "
                                                "and is %2 beside it.").arg(output, QFileInfo(placed).fileName()));
}

void ConsoleReporter::alreadyDone(const QString &output, bool differs)
{
    show({false, QStringLiteral("Already done  %1 (same source, same settings%2)")
                     .arg(QFileInfo(output).fileName(), differs ? QStringLiteral(", differs as before") : QString())});
}

void ConsoleReporter::batchSummary(const FolderTally &tally, bool listing)
{
    QString summary = QStringLiteral("%1 %2, %3 failed, %4 differing from what was asked, %5 skipped as not sound or video files")
                          .arg(tally.encoded.size())
                          .arg(listing ? QStringLiteral("to encode") : QStringLiteral("encoded"))
                          .arg(tally.failed.size()).arg(tally.differing.size()).arg(tally.skipped.size());
    if (!tally.alreadyDone.isEmpty())
        summary += QStringLiteral(", %1 already done").arg(tally.alreadyDone.size());
    if (!tally.spared.isEmpty())
        summary += QStringLiteral(", %1 left alone to spare a file of the source folder").arg(tally.spared.size());
    if (!tally.notDone.isEmpty())
        summary += QStringLiteral(", %1 not done: the run was stopped").arg(tally.notDone.size());
    line(listing ? QStringLiteral("Jobs") : QStringLiteral("Folder"), summary);
    const std::pair<QString, const QStringList &> lists[] = {
        {QStringLiteral("Failed"), tally.failed},  {QStringLiteral("Differing"), tally.differing},
        {QStringLiteral("Left out"), tally.spared}, {QStringLiteral("Not done"), tally.notDone},
    };
    for (const auto &[label, names] : lists)
        if (!names.isEmpty())
            line(label, someNames(names));
    skipped(tally.skipped);
}

void ConsoleReporter::skipped(const QStringList &names)
{
    if (!names.isEmpty())
        line(QStringLiteral("Skipped"), someNames(names));
}
