// The utility's configuration reader, what WM8EUTIL.EXE makes of a configuration file, the values its
// help names, and every value the window can store.
#include "Arguments.h"
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "encoder/asked/ConfigReader.h"
#include "encoder/asked/SwitchCollector.h"
#include "encoder/plan/EncodePlan.h"
#include "params/ParamNames.h"
#include "platform/Failure.h"
#include "platform/gui/Controls.h"

#include <QCheckBox>
#include <QDialog>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <climits>

using namespace Qt::StringLiterals;

class EncoderConfigTest : public QObject {
    Q_OBJECT

private slots:
    void readsSwitchesAndValues();
    void refusesMalformedLines_data();
    void refusesMalformedLines();
    void utilityRefusesAnUnknownSwitch();
    void commandLineValues_data();
    void commandLineValues();
    void commandLineRefusals_data();
    void commandLineRefusals();
    void clipNumbersStayInRange_data();
    void clipNumbersStayInRange();
    void pathsHoldingNulAreRefused();
    void extremeSourcesGivePlansTheEncoderTakes();
    void helpNamesTheValuesTheChecksTake_data();
    void helpNamesTheValuesTheChecksTake();
    void everyValueTheWindowStoresIsTaken_data();
    void everyValueTheWindowStoresIsTaken();
};

void EncoderConfigTest::readsSwitchesAndValues()
{
    const std::vector<Switch> switches = ParseConfigText(
        "-input \"/a b/clip.avi\"\r\n-v_clip 8 0 304 240\r\n\r\n-title \"say \"hi\"\"\n-v_buffer   ", u"tmpconfig.weu"_s);
    QCOMPARE(switches.size(), size_t(4));
    QCOMPARE(switches[0].name, QStringLiteral("-input"));
    QCOMPARE(switches[0].value, QStringLiteral("/a b/clip.avi"));
    QCOMPARE(switches[1].value, QStringLiteral("8 0 304 240"));
    QCOMPARE(switches[2].value, QStringLiteral("say \"hi\""));
    QCOMPARE(switches[2].origin, QStringLiteral("tmpconfig.weu, line 4"));
    QCOMPARE(switches[3].value, QStringLiteral("  "));

    const std::vector<Switch> marked = ParseConfigText("\xEF\xBB\xBF-profile av100\r\n", u"edited.weu"_s);
    QCOMPARE(marked.size(), size_t(1));
    QCOMPARE(marked[0].name, QStringLiteral("-profile"));
}

void EncoderConfigTest::refusesMalformedLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown switch") << QByteArray("-input x\r\n-speed 3\r\n")
                                    << "conf.weu, line 2: unknown switch \"-speed\"; the switches are -input, -output,";
    QTest::newRow("no value") << QByteArray("-input\r\n") << "conf.weu, line 1: the switch -input has no value";
    QTest::newRow("no blank") << QByteArray("-title\t\"x\"\r\n") << "conf.weu, line 1: unknown switch \"-title\t\"x\"\"";
    QTest::newRow("letter case") << QByteArray("-Input x\r\n") << "conf.weu, line 1: unknown switch \"-Input\"";
}

void EncoderConfigTest::refusesMalformedLines()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    try {
        ParseConfigText(text, QStringLiteral("conf.weu"));
        QFAIL("the line was accepted");
    } catch (const Failure &failure) {
        QVERIFY2(failure.message().startsWith(message), qPrintable(failure.message()));
    }
}

namespace {

QString utility()
{
    return qEnvironmentVariable("QUILLMARK_BIN_DIR") + QStringLiteral("/WM8EUTIL.EXE");
}

} // namespace

void EncoderConfigTest::utilityRefusesAnUnknownSwitch()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("bad.weu"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("-profile av100\r\n-fast yes\r\n");
    file.close();

    QProcess process;
    process.start(utility(), {QStringLiteral("-config"), config});
    QVERIFY(process.waitForFinished());
    QVERIFY(process.exitCode() != 0);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.contains(config + QStringLiteral(", line 2: unknown switch \"-fast\"")), qPrintable(err));
}

void EncoderConfigTest::commandLineValues_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("switches"); // name=value

    QTest::newRow("bare values joined") << Arguments({"-time", "500", "2000", "-v_clip", "8", "0", "304", "240"})
                                        << QStringList{u"-time=500 2000"_s, u"-v_clip=8 0 304 240"_s};
    QTest::newRow("negative numbers are values") << Arguments({"-v_clip", "8", "0", "-8", "240"}) << QStringList{u"-v_clip=8 0 -8 240"_s};
    QTest::newRow("one value in quotes") << Arguments({"-title", "\"Holiday 2002\""}) << QStringList{u"-title=Holiday 2002"_s};
    QTest::newRow("later switch kept in order")
        << Arguments({"-v_width", "80", "-v_width", "96"}) << QStringList{u"-v_width=80"_s, u"-v_width=96"_s};
}

void EncoderConfigTest::commandLineValues()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, switches);
    QStringList collected;
    for (const Switch &item : CollectSwitches(arguments))
        collected += item.name + u'=' + item.value;
    QCOMPARE(collected, switches);
}

void EncoderConfigTest::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown switch") << Arguments({"-profile", "av100", "-fast", "yes"}) << "command line: unknown switch \"-fast\"";
    QTest::newRow("value first") << QStringList{u"av100"_s} << "command line: unknown switch \"av100\"";
    QTest::newRow("no value") << Arguments({"-title", "-v_width", "80"}) << "command line: the switch -title has no value.";
    QTest::newRow("missing file") << Arguments({"-config", "/nowhere/tmpconfig.weu"}) << "Cannot read the configuration file /nowhere/tmpconfig.weu";
}

void EncoderConfigTest::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    try {
        CollectSwitches(arguments);
        QFAIL("the command line was accepted");
    } catch (const Failure &failure) {
        QVERIFY2(failure.message().startsWith(message), qPrintable(failure.message()));
    }
}

namespace {

// The settings of switches given as name and value, after a -input.
Settings settingsOf(const QStringList &namesAndValues)
{
    std::vector<Switch> switches{{QStringLiteral("-input"), QStringLiteral("clip.avi"), QStringLiteral("test")}};
    for (qsizetype i = 0; i + 1 < namesAndValues.size(); i += 2)
        switches.push_back({namesAndValues[i], namesAndValues[i + 1], QStringLiteral("test")});
    return ParseSettings(switches);
}

SourceFacts pictureSource(int width, int height, AVRational frameRate)
{
    SourceFacts source;
    source.picture = PictureFacts{0, QStringLiteral("rawvideo"), width, height, {1, 1}, frameRate, 2.0};
    source.duration = 2.0;
    return source;
}

} // namespace

void EncoderConfigTest::clipNumbersStayInRange_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("taken");
    QTest::newRow("edges and margins at the limit") << "100000 100000 -100000 -100000" << true;
    QTest::newRow("left that an int would wrap to 0") << "4294967296 0 100 100" << false;
    QTest::newRow("left just past an int") << "2147483648 0 100 100" << false;
    QTest::newRow("top past the limit") << "0 100001 160 120" << false;
    QTest::newRow("right margin past the limit") << "0 0 -100001 0" << false;
    QTest::newRow("bottom past the limit") << "0 0 160 100001" << false;
}

void EncoderConfigTest::clipNumbersStayInRange()
{
    QFETCH(QString, value);
    QFETCH(bool, taken);
    try {
        const Settings settings = settingsOf({QStringLiteral("-v_clip"), value});
        QVERIFY(taken);
        QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(settings.clip->left).arg(settings.clip->top).arg(settings.clip->right)
                     .arg(settings.clip->bottom), value);
    } catch (const Failure &failure) {
        QVERIFY2(!taken, qPrintable(failure.message()));
        QVERIFY2(failure.message().startsWith(QStringLiteral("test: -v_clip \"%1\" is not allowed").arg(value)),
                 qPrintable(failure.message()));
    }
}

void EncoderConfigTest::pathsHoldingNulAreRefused()
{
    const std::vector<Switch> switches = ParseConfigText(QByteArray("-input \"/media/clip\0.avi\"\r\n", 27), u"conf.weu"_s);
    QCOMPARE(switches.size(), size_t(1));
    try {
        ParseSettings(switches);
        QFAIL("the path was taken");
    } catch (const Failure &failure) {
        QVERIFY2(failure.message().startsWith(QStringLiteral("conf.weu, line 1: -input \"/media/clip")), qPrintable(failure.message()));
        QVERIFY2(failure.message().endsWith(QStringLiteral("is not allowed; it takes the path of a file or folder.")),
                 qPrintable(failure.message()));
    }
}

// A damaged or crafted file can claim any positive size and frame rate; the plan still holds numbers
// the encoder can use.
void EncoderConfigTest::extremeSourcesGivePlansTheEncoderTakes()
{
    const EncodePlan slow = PlanEncode(settingsOf({}), pictureSource(160, 120, {1, 33554432}));
    QCOMPARE(slow.picture->bufferMs, INT_MAX);
    QVERIFY2(slow.notes.contains(QStringLiteral("A buffer of 5000 ms holds less than one frame; 2147483647 ms is used.")),
             qPrintable(slow.notes.join(u'\n')));

    const EncodePlan wide = PlanEncode(settingsOf({QStringLiteral("-v_clip"), QStringLiteral("0 0 -5 -5")}),
                                       pictureSource(INT_MAX, INT_MAX, {25, 1}));
    QVERIFY(!wide.picture->crop);
    QCOMPARE(wide.picture->width, 4096);
    QVERIFY2(wide.notes.contains(QStringLiteral("-v_clip \"0 0 -5 -5\" reaches past the 2147483647x2147483647 picture; "
                                                "the clip stops at its edges.")),
             qPrintable(wide.notes.join(u'\n')));
}

namespace {

// The values a switch's help text names, and values next to them that it rules out: the ends of a
// range and the numbers just past them, or each name or number of a list and one past the last.
void valuesNamedIn(const QString &allowed, QStringList &taken, QStringList &refused)
{
    static const QRegularExpression range(QStringLiteral("from (\\d+) to (\\d+)"));
    if (const QRegularExpressionMatch match = range.match(allowed); match.hasMatch()) {
        const qint64 lowest = match.captured(1).toLongLong();
        const qint64 highest = match.captured(2).toLongLong();
        taken << QString::number(lowest) << QString::number(highest);
        refused << QString::number(lowest - 1) << QString::number(highest + 1);
        return;
    }
    static const QRegularExpression remarks(QStringLiteral("\\([^)]*\\)"));
    static const QRegularExpression separators(QStringLiteral("\\s*,\\s*(and\\s+)?|\\s+and\\s+"));
    const QString list = QString(allowed.mid(allowed.indexOf(QLatin1String(" are ")) + 5)).remove(remarks);
    for (const QString &item : list.split(separators, Qt::SkipEmptyParts))
        taken << item.section(u' ', 0, 0);
    bool numbers = false;
    const int last = taken.last().toInt(&numbers);
    refused << (numbers ? QString::number(last + 1) : QStringLiteral("nosuch"));
}

} // namespace

// The help shows each switch's values as the checks give them when they refuse one; those texts
// must name exactly what the checks take.
void EncoderConfigTest::helpNamesTheValuesTheChecksTake_data()
{
    QTest::addColumn<int>("row");
    for (const int row : {RowAudioSetting, RowVideoCodec, RowWidth, RowHeight, RowMode, RowFramerate, RowKeyDistance,
                          RowBitrate, RowQuality, RowBuffer, RowPreproc, RowProfile})
        QTest::newRow(qPrintable(ParamName(row))) << row;
}

void EncoderConfigTest::helpNamesTheValuesTheChecksTake()
{
    QFETCH(int, row);
    const QString allowed = AllowedValues(row);
    QStringList taken;
    QStringList refused;
    valuesNamedIn(allowed, taken, refused);
    QVERIFY2(taken.size() >= 2, qPrintable(allowed));
    for (const QString &value : taken) {
        try {
            settingsOf({ParamName(row), value});
        } catch (const Failure &failure) {
            QFAIL(qPrintable(failure.message()));
        }
    }
    for (const QString &value : refused) {
        try {
            settingsOf({ParamName(row), value});
            QFAIL(qPrintable(value + QStringLiteral(" was taken")));
        } catch (const Failure &failure) {
            QVERIFY2(failure.message().endsWith(QStringLiteral("; ") + allowed + u'.'), qPrintable(failure.message()));
        }
    }
}

// The window's lists and the utility's tables of values are kept apart: each row of a list, each
// position of the quality bar and each codec of the Options dialog, as the window writes it into
// tmpconfig.weu, must be a value the utility takes.
void EncoderConfigTest::everyValueTheWindowStoresIsTaken_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("row");
    QTest::newRow("presets") << "ComboBoxPresets" << int(RowProfile);
    QTest::newRow("audio") << "ComboBoxAudioBR" << int(RowAudioSetting);
    QTest::newRow("encoding modes") << "ComboBoxMode" << int(RowMode);
    QTest::newRow("frame rates") << "ComboBoxFramerate" << int(RowFramerate);
    QTest::newRow("deinterlace methods") << "ComboBoxPreproc" << int(RowPreproc);
    QTest::newRow("quality") << "TrackBarQuality" << int(RowQuality);
    QTest::newRow("codecs") << "Form5" << int(RowVideoCodec);
}

void EncoderConfigTest::everyValueTheWindowStoresIsTaken()
{
    QFETCH(QString, control);
    QFETCH(int, row);
    TestApp app;
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(app.addMedia(QStringLiteral("clip.avi")));
    QStringList stored;
    const auto encode = [&] {
        Form1->EncodeButtonClick();
        const QString value = app.row(row);
        if (value.isEmpty() || stored.contains(value))
            return;
        stored += value;
        try {
            ParseSettings(ReadConfigFile(app.appPath(QStringLiteral("tmpconfig.weu"))));
        } catch (const Failure &failure) {
            QFAIL(qPrintable(failure.message()));
        }
    };

    auto *deinterlace = app.control<QCheckBox>(QStringLiteral("CheckBox1"));
    if (control == QLatin1String("ComboBoxPreproc"))
        deinterlace->click();
    if (auto *list = app.control<TComboBox>(control)) {
        for (int index = 0; index < list->count(); ++index) {
            ChooseRow(list, index);
            encode();
        }
    } else if (auto *bar = app.control<TTrackBar>(control)) {
        for (int position = bar->minimum(); position <= bar->maximum(); ++position) {
            bar->setValue(position);
            encode();
        }
    } else {
        for (const char *button : {"RadioButton2", "RadioButton1"}) {
            app.dialogs.dialogActions.push_back([button](QDialog &dialog) {
                dialog.findChild<QRadioButton *>(QLatin1String(button))->click();
                return int(QDialog::Accepted);
            });
            Form1->Options1Click();
            encode();
        }
    }
    if (deinterlace->isChecked()) {
        deinterlace->click();
        encode();
    }
    QVERIFY2(!stored.isEmpty(), "the control stored no value");
}

QUILLMARK_TEST_MAIN(EncoderConfigTest)
#include "test_encoder_config.moc"
