#include "encoder/asked/Settings.h"

#include "params/ParamNames.h"
#include "platform/Failure.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <cmath>
#include <map>

namespace {

[[noreturn]] void refuse(const Switch &item, const QString &allowed)
{
    throw Failure(QStringLiteral("%1: %2 \"%3\" is not allowed; %4.").arg(item.origin, item.name, item.value, allowed));
}

// A switch that takes one whole number: its range, and what the number is (a range's number) or what
// each number stands for (a choice).
struct NumberRule {
    int row;
    int lowest;
    int highest;
    bool choice;
    const char *meaning;
};

constexpr NumberRule NumberRules[] = {
    {RowWidth, 16, 4096, false, "a width in pixels"},
    {RowHeight, 16, 4096, false, "a height in pixels"},
    {RowMode, 0, 3, true, "the modes are 0 (CBR, one pass), 1 (CBR, two pass), 2 (VBR, one pass, by quality) and 3 (VBR, two pass)"},
    {RowKeyDistance, 1, 3600, false, "the seconds between key frames"},
    {RowBitrate, 1000, 20000000, false, "a bit rate in bit/s"},
    {RowQuality, 0, 100, false, "a quality"},
    {RowBuffer, 1, 60000, false, "a buffer in milliseconds"},
    {RowPreproc, 0, 5, true, "the methods are 0 (none), 1 (deinterlace), 2 (also half dimensions), 3 (also half dimensions "
                             "and double frame rate), 4 (also half height and double frame rate) and 5 (inverse telecine, "
                             "30 to 24 fps)"},
};

const NumberRule *numberRule(int row)
{
    for (const NumberRule &rule : NumberRules)
        if (rule.row == row)
            return &rule;
    return nullptr;
}

// The whole numbers of a value written bare with blanks between them ("8 0 304 240"); nothing when
// the value holds another count or anything else. A minus sign is accepted where negative allows.
std::optional<std::vector<qint64>> wholeNumbers(const QString &value, qsizetype count, bool negative)
{
    static const QRegularExpression unsignedNumber(QStringLiteral("^\\d{1,12}$"));
    static const QRegularExpression signedNumber(QStringLiteral("^-?\\d{1,12}$"));
    const QStringList parts = value.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != count)
        return std::nullopt;
    std::vector<qint64> numbers;
    for (const QString &part : parts) {
        if (!(negative ? signedNumber : unsignedNumber).match(part).hasMatch())
            return std::nullopt;
        numbers.push_back(part.toLongLong());
    }
    return numbers;
}

int wholeNumber(const Switch &item)
{
    const NumberRule &rule = *numberRule(ParamRow(item.name));
    const auto numbers = wholeNumbers(item.value, 1, false);
    if (!numbers || numbers->front() < rule.lowest || numbers->front() > rule.highest)
        refuse(item, AllowedValues(rule.row));
    return int(numbers->front());
}

// No file or folder has a NUL character in its name; a configuration file's line can hold one.
QString path(const Switch &item)
{
    if (item.value.trimmed().isEmpty() || item.value.contains(QChar(0)))
        refuse(item, AllowedValues(RowInput));
    return item.value;
}

const Profile *profile(const Switch &item)
{
    if (const Profile *found = FindProfile(item.value.trimmed()))
        return found;
    refuse(item, AllowedValues(RowProfile));
}

AudioSetting audioSetting(const Switch &item)
{
    const QString code = item.value.trimmed();
    if (code == NoSoundCode())
        return {false, {}};
    if (const auto format = AudioFormatFromCode(code))
        return {true, *format};
    refuse(item, AllowedValues(RowAudioSetting));
}

VideoCodec videoCodec(const Switch &item)
{
    const QString name = item.value.trimmed();
    if (name.compare(QLatin1String("WMV8"), Qt::CaseInsensitive) == 0)
        return VideoCodec::Wmv8;
    if (name.compare(QLatin1String("WMV7"), Qt::CaseInsensitive) == 0)
        return VideoCodec::Wmv7;
    refuse(item, AllowedValues(RowVideoCodec));
}

AVRational frameRate(const Switch &item)
{
    static const QRegularExpression decimal(QStringLiteral("^\\d{1,3}(\\.\\d{1,6})?$"));
    const QString text = item.value.trimmed();
    const double rate = text.toDouble();
    if (!decimal.match(text).hasMatch() || rate < 1 || rate > 60)
        refuse(item, AllowedValues(RowFramerate));
    // The NTSC rates are written rounded; they stand for 24, 30 and 60 times 1000/1001.
    for (const int whole : {24, 30, 60})
        if (std::abs(rate - whole * 1000.0 / 1001.0) < 0.005)
            return AVRational{whole * 1000, 1001};
    return av_d2q(rate, 100000);
}

ClipNumbers clipNumbers(const Switch &item)
{
    // No picture reaches 100000 pixels; every number is kept within that, so that none is cut to fit an
    // int and a left edge of 4294967296 cannot turn into 0.
    constexpr qint64 Farthest = 100000;
    const auto numbers = wholeNumbers(item.value, 4, true);
    const auto within = [](qint64 number, qint64 lowest) { return number >= lowest && number <= Farthest; };
    if (!numbers || !within((*numbers)[0], 0) || !within((*numbers)[1], 0) || !within((*numbers)[2], -Farthest)
        || !within((*numbers)[3], -Farthest))
        refuse(item, AllowedValues(RowClip));
    return {int((*numbers)[0]), int((*numbers)[1]), int((*numbers)[2]), int((*numbers)[3])};
}

Section section(const Switch &item)
{
    constexpr qint64 Day = 24 * 3600 * 1000;
    const auto numbers = wholeNumbers(item.value, 2, false);
    if (!numbers || (*numbers)[0] > Day || (*numbers)[1] > Day || ((*numbers)[1] != 0 && (*numbers)[1] <= (*numbers)[0]))
        refuse(item, AllowedValues(RowTime));
    return {(*numbers)[0], (*numbers)[1]};
}

// The appendage goes into each output's name: a folder separator would send the file out of the
// output folder.
QString outputString(const Switch &item)
{
    if (item.value.contains(u'/'))
        refuse(item, AllowedValues(RowOutputString));
    return item.value;
}

// The file's header gives each text's length in bytes of UTF-16, its closing NUL included, in 16 bits:
// a longer text would wrap around and spill into the next one.
QString contentText(const Switch &item)
{
    constexpr qsizetype LongestText = 32766;
    if (item.value.size() > LongestText)
        throw Failure(QStringLiteral("%1: %2 is %3 characters long; a Windows Media file holds at most %4 in each of its "
                                     "texts (a character such as an emoji counts as two).")
                          .arg(item.origin, item.name).arg(item.value.size()).arg(LongestText));
    return item.value;
}

void apply(Settings &settings, const Switch &item)
{
    switch (ParamRow(item.name)) {
    case RowInput: settings.input = path(item); break;
    case RowOutput: settings.output = path(item); break;
    case RowAudioSetting: settings.audio = audioSetting(item); break;
    case RowVideoCodec: settings.codec = videoCodec(item); break;
    case RowWidth: settings.width = wholeNumber(item); break;
    case RowHeight: settings.height = wholeNumber(item); break;
    case RowMode: settings.mode = RateMode(wholeNumber(item)); break;
    case RowFramerate: settings.frameRate = frameRate(item); break;
    case RowKeyDistance: settings.keyDistance = wholeNumber(item); break;
    case RowBitrate: settings.bitRate = wholeNumber(item); break;
    case RowQuality: settings.quality = wholeNumber(item); break;
    case RowBuffer: settings.bufferMs = wholeNumber(item); break;
    case RowPreproc: settings.preprocessing = Preprocessing(wholeNumber(item)); break;
    case RowClip: settings.clip = clipNumbers(item); break;
    case RowTime: settings.section = section(item); break;
    case RowOutputString: settings.outputString = outputString(item); break;
    case RowProfile: settings.profile = profile(item); break;
    case RowConfig: break; // already read in its place by CollectSwitches
    case RowTitle: settings.content.title = contentText(item); break;
    case RowAuthor: settings.content.author = contentText(item); break;
    case RowCopyright: settings.content.copyright = contentText(item); break;
    case RowDescription: settings.content.description = contentText(item); break;
    case RowRating: settings.content.rating = contentText(item); break;
    default: throw UnknownSwitch(item.origin, item.name);
    }
}

} // namespace

QString AllowedValues(int row)
{
    if (const NumberRule *rule = numberRule(row))
        return rule->choice ? QString::fromLatin1(rule->meaning)
                            : QStringLiteral("it takes %1 from %2 to %3").arg(QLatin1String(rule->meaning)).arg(rule->lowest).arg(rule->highest);
    switch (row) {
    case RowInput:
    case RowOutput: return QStringLiteral("it takes the path of a file or folder");
    case RowAudioSetting:
        return QStringLiteral("the settings are %1 (bit rate in kbit/s, sampling rate in kHz, channels), and 0 for no sound")
            .arg(AudioSettingCodes().join(QStringLiteral(", ")));
    case RowVideoCodec: return QStringLiteral("the codecs are WMV8 (Windows Media Video 8, the default) and WMV7");
    case RowFramerate: return QStringLiteral("it takes a frame rate from 1 to 60 frames a second, such as 15, 25 or 29.970");
    case RowClip:
        return QStringLiteral("it takes four whole numbers, left top right bottom: the edges of the kept rectangle in pixels, "
                              "or the margins to cut where they name no rectangle");
    case RowTime:
        return QStringLiteral("it takes the start and the end of the section in milliseconds, the end after the start; an "
                              "end of 0 runs to the end of the source");
    case RowProfile: return QStringLiteral("the profiles are ") + ProfileNames().join(QStringLiteral(", "));
    case RowConfig: return QStringLiteral("it takes the path of a configuration file");
    case RowOutputString: return QStringLiteral("it takes any text without a /");
    default: return QStringLiteral("it takes any text");
    }
}

bool Settings::hasPictureSwitch() const
{
    return codec || width || height || mode || frameRate || keyDistance || bitRate || quality || bufferMs || preprocessing
        || clip;
}

namespace {

// The later of each switch that asks something of every file, by name.
std::vector<Switch> encodeSwitches(const std::vector<Switch> &switches)
{
    std::map<QString, Switch> latest;
    for (const Switch &item : switches) {
        const int row = ParamRow(item.name);
        if (row != RowInput && row != RowOutput && row != RowOutputString && row != RowConfig)
            latest[item.name] = item;
    }
    std::vector<Switch> chosen;
    for (const auto &[name, item] : latest)
        chosen.push_back(item);
    return chosen;
}

} // namespace

Settings ParseSettings(const std::vector<Switch> &switches)
{
    Settings settings;
    for (const Switch &item : switches)
        apply(settings, item);
    if (settings.input.isEmpty())
        throw Failure(QStringLiteral("No source was given: name the source file or folder with -input."));
    settings.encodeSwitches = encodeSwitches(switches);
    return settings;
}

QString SettingsDigest(const Settings &settings)
{
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const Switch &item : settings.encodeSwitches)
        digest.addData(QStringLiteral("%1 %2\n").arg(item.name, item.value).toUtf8());
    return QString::fromLatin1(digest.result().toHex());
}
