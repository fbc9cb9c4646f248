// The preset list and the audio list: what each row stores, the snap back to "(Custom settings)",
// and the advice for a video preset on a WAV source.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "platform/gui/Controls.h"

#include <QAbstractItemView>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

const QStringList Presets = {
    u"(Custom settings)"_s, u""_s, u"Audio & Video:"_s, u"-----------------------"_s, u"Modem 28K (20K)"_s,
    u"Modem 56K (32K)"_s, u"LAN 100K (100K)"_s, u"LAN 256K (225K)"_s, u"LAN/DSL 384K (350K)"_s, u"LAN/DSL 768K (450K)"_s,
    u"Near Broadcast 700K (700K)"_s, u"Near Broadcast 1400K (1400K)"_s, u"Broadband PAL 384K (350K)"_s,
    u"Near Broadcast PAL 700K (700K)"_s, u""_s, u"Audio only"_s, u"-----------------------"_s, u"FM Radio Mono 28K  (20K)"_s,
    u"FM Radio Stereo 28K  (20K)"_s, u"Modem 56K  (32K)"_s, u"Near CD Quality 48K  (48K)"_s, u"CD Quality 64K  (64K)"_s,
    u"CD Transparency 96K  (96K)"_s, u"CD Audiophile Transparency 128K  (128K)"_s, u""_s, u"Video only"_s,
    u"-----------------------"_s, u"Modem 28K   (20K)"_s, u"Modem 56K   (32K)"_s};

const QStringList Profiles = {u""_s, u""_s, u""_s, u""_s, u"av20"_s, u"av32"_s, u"av100"_s, u"av225"_s, u"av350"_s,
                              u"av450"_s, u"av700"_s, u"av1400"_s, u"av350pal"_s, u"av700pal"_s, u""_s, u""_s, u""_s,
                              u"a20_1"_s, u"a20_2"_s, u"a32"_s, u"a48"_s, u"a64"_s, u"a96"_s, u"a128"_s, u""_s, u""_s, u""_s,
                              u"v20"_s, u"v32"_s};

const QStringList AudioRows = {
    u"(default)"_s, u"192Kbps (48Khz, Stereo)"_s, u"160Kbps (48Khz, Stereo)"_s, u"128Kbps (48Khz, Stereo)"_s,
    u"192Kbps (44.1Khz, Stereo)"_s, u"160Kbps (44.1Khz, Stereo)"_s, u"128Kbps (44.1Khz, Stereo)"_s,
    u"96Kbps   (44.1Khz, Stereo)"_s, u"80Kbps   (44.1Khz, Stereo)"_s, u"64Kbps   (44.1Khz, Stereo)"_s,
    u"48Kbps   (44.1Khz, Stereo)"_s, u"32Kbps   (44.1Khz, Stereo)"_s, u"32Kbps   (44.1Khz, Mono)"_s,
    u"48Kbps   (32Khz, Stereo)"_s, u"40Kbps   (32Khz, Stereo)"_s, u"32Kbps   (32Khz, Stereo)"_s, u"20Kbps   (32Khz, Mono)"_s,
    u"32Kbps   (22.05Khz, Stereo)"_s, u"22Kbps   (22.05Khz, Stereo)"_s, u"20Kbps   (22.05Khz, Stereo)"_s,
    u"20Kbps   (22.05Khz, Mono)"_s, u"16Kbps   (22.05Khz, Mono)"_s, u"20Kbps   (16Khz, Stereo)"_s,
    u"16Kbps   (16Khz, Stereo)"_s, u"16Kbps   (16Khz, Mono)"_s, u"12Kbps   (16Khz, Mono)"_s, u"10Kbps   (16Khz, Mono)"_s,
    u"10Kbps   (11.025Khz, Mono)"_s, u"8Kbps     (11.025Khz, Mono)"_s, u"12Kbps   (8Khz, Stereo)"_s,
    u"8Kbps     (8Khz, Mono)"_s, u"6Kbps     (8Khz, Mono)"_s, u"5Kbps     (8Khz, Mono)"_s, u"0             (video-only)"_s};

const QStringList AudioCodes = {
    u"64_44_2"_s,  u"192_48_2"_s, u"160_48_2"_s, u"128_48_2"_s, u"192_44_2"_s, u"160_44_2"_s, u"128_44_2"_s, u"96_44_2"_s,
    u"80_44_2"_s,  u"64_44_2"_s,  u"48_44_2"_s,  u"32_44_2"_s,  u"32_44_1"_s,  u"48_32_2"_s,  u"40_32_2"_s,  u"32_32_2"_s,
    u"20_32_1"_s,  u"32_22_2"_s,  u"22_22_2"_s,  u"20_22_2"_s,  u"20_22_1"_s,  u"16_22_1"_s,  u"20_16_2"_s,  u"16_16_2"_s,
    u"16_16_1"_s,  u"12_16_1"_s,  u"10_16_1"_s,  u"10_11_1"_s,  u"8_11_1"_s,   u"12_8_2"_s,   u"8_8_1"_s,    u"6_8_1"_s,
    u"5_8_1"_s,    u"0"_s};

QStringList items(const QComboBox *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->itemText(row));
    return texts;
}

// The rows an open list shows whole, as the user sees them before scrolling.
int rowsShownOpen(QComboBox *list)
{
    list->showPopup();
    const QAbstractItemView *view = list->view();
    int shown = 0;
    for (int row = 0; row < list->count(); ++row)
        shown += view->viewport()->rect().contains(view->visualRect(view->model()->index(row, 0)));
    list->hidePopup();
    return shown;
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsHoldTheirRows();
    void everyPresetRowStoresItsProfile_data();
    void everyPresetRowStoresItsProfile();
    void arrowKeysNeverPassTheBlankRow();
    void customSettingsClearsOnlyTheProfile();
    void videoPresetOnAWavSourceIsAdvised_data();
    void videoPresetOnAWavSourceIsAdvised();
    void selectionByCodeStoresNothing();

    void everyAudioRowStoresItsCode_data();
    void everyAudioRowStoresItsCode();
    void audioDefaultStoresACodeAfterAnotherRow();

private:
    std::unique_ptr<TestApp> app;
    TComboBox *presets = nullptr;
    TComboBox *audio = nullptr;
};

void SettingsTest::init()
{
    app = std::make_unique<TestApp>();
    presets = app->control<TComboBox>(QStringLiteral("ComboBoxPresets"));
    audio = app->control<TComboBox>(QStringLiteral("ComboBoxAudioBR"));
}

void SettingsTest::cleanup()
{
    app.reset();
}

void SettingsTest::listsHoldTheirRows()
{
    QCOMPARE(items(presets), Presets);
    QCOMPARE(rowsShownOpen(presets), 19);
    QCOMPARE(presets->property("Tag").toInt(), 17);
    QCOMPARE(presets->toolTip(), QStringLiteral("Encoding presets"));
    QVERIFY(!presets->isEditable());
    QCOMPARE(items(audio), AudioRows);
    QCOMPARE(audio->property("Tag").toInt(), 3);
    QCOMPARE(audio->toolTip(), QStringLiteral("Specifies the bitrate of the audio stream"));
    QCOMPARE(rowsShownOpen(audio), 16);
}

void SettingsTest::everyPresetRowStoresItsProfile_data()
{
    QTest::addColumn<int>("row");
    for (int row = 0; row < Presets.size(); ++row)
        QTest::addRow("%d %s", row, qPrintable(Presets[row])) << row;
}

void SettingsTest::everyPresetRowStoresItsProfile()
{
    QFETCH(int, row);
    app->setRow(17, QStringLiteral("earlier"));
    app->setRow(3, QStringLiteral("32_44_2"));
    ChooseRow(presets, row);

    const bool placeholder = Profiles[row].isEmpty();
    QCOMPARE(presets->currentIndex(), placeholder ? 0 : row);
    QCOMPARE(app->row(17), Profiles[row]);
    QCOMPARE(Form1->PresetProfileName(), Profiles[row]);
    QCOMPARE(app->row(3), QStringLiteral("32_44_2"));
    QVERIFY(app->dialogs.messages.isEmpty());
}

void SettingsTest::arrowKeysNeverPassTheBlankRow()
{
    ChooseRow(presets, 6);
    QCOMPARE(app->row(17), QStringLiteral("av100"));
    presets->SetItemIndex(0);
    presets->setFocus();
    for (int press = 0; press < 5; ++press) {
        QTest::keyClick(presets, Qt::Key_Down);
        QCOMPARE(presets->currentIndex(), 0);
    }
    QCOMPARE(app->row(17), QString());

    ChooseRow(presets, 4);
    QTest::keyClick(presets, Qt::Key_Up);
    QCOMPARE(presets->currentIndex(), 0);
    QCOMPARE(app->row(17), QString());
    ChooseRow(presets, 17);
    QTest::keyClick(presets, Qt::Key_Down);
    QCOMPARE(app->row(17), QStringLiteral("a20_2"));
}

void SettingsTest::customSettingsClearsOnlyTheProfile()
{
    presets->setFocus();
    for (int row = 1; row <= 23; ++row)
        app->setRow(row, QStringLiteral("v%1").arg(row));
    ChooseRow(presets, 0);
    for (int row = 1; row <= 23; ++row)
        QCOMPARE(app->row(row), row == 17 ? QString() : QStringLiteral("v%1").arg(row));
}

void SettingsTest::videoPresetOnAWavSourceIsAdvised_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("advised");
    QTest::newRow("LAN 100K on .WAV") << "/m/song.WAV" << 6 << true;
    QTest::newRow("video-only on .wav") << "/m/song.wav" << 28 << true;
    QTest::newRow("video-only on .wAv") << "/m/song.wAv" << 27 << true;
    QTest::newRow("audio preset on .wav") << "/m/song.wav" << 21 << false;
    QTest::newRow("custom on .wav") << "/m/song.wav" << 0 << false;
    QTest::newRow("video preset on .avi") << "/m/clip.avi" << 6 << false;
    QTest::newRow("only the last extension counts") << "/m/song.WAV.AVI" << 6 << false;
    QTest::newRow("placeholder source") << "(No file selected)" << 6 << false;
}

void SettingsTest::videoPresetOnAWavSourceIsAdvised()
{
    QFETCH(QString, source);
    QFETCH(int, row);
    QFETCH(bool, advised);
    app->control<TEdit>(QStringLiteral("EditInput"))->setText(source);
    app->dialogs.messages.clear();
    QString profileWhileAdvised = QStringLiteral("not asked");
    app->dialogs.onMessage = [&](const FakeDialogs::Shown &) { profileWhileAdvised = app->row(17); };

    ChooseRow(presets, row);
    ChooseRow(presets, row);

    QCOMPARE(app->dialogs.messages.size(), advised ? 2 : 0);
    if (advised) {
        QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("Advice"));
        QCOMPARE(app->dialogs.messages[0].text,
                 QStringLiteral("The preset you chose may not appropriate.\r\rYou have chosen a preset that is "
                                "designed for video content.\rIt is recommended that you choose an Audio only preset."));
        QCOMPARE(app->dialogs.messages[0].icon, MessageIcon::Information);
        QCOMPARE(profileWhileAdvised, Profiles[row]);
    }
    QCOMPARE(presets->currentIndex(), row);
    QCOMPARE(app->row(17), Profiles[row]);
}

void SettingsTest::selectionByCodeStoresNothing()
{
    presets->SetItemIndex(6);
    audio->SetItemIndex(3);
    QCOMPARE(app->row(17), QString());
    QCOMPARE(app->row(3), QString());
}

void SettingsTest::everyAudioRowStoresItsCode_data()
{
    QTest::addColumn<int>("row");
    for (int row = 0; row < AudioRows.size(); ++row)
        QTest::addRow("%d %s", row, qPrintable(AudioRows[row])) << row;
}

void SettingsTest::everyAudioRowStoresItsCode()
{
    QFETCH(int, row);
    ChooseRow(audio, row);
    QCOMPARE(app->row(3), AudioCodes[row]);
    QCOMPARE(Form1->AudioSettingName(), AudioCodes[row]);
}

void SettingsTest::audioDefaultStoresACodeAfterAnotherRow()
{
    ChooseRow(audio, 3);
    QCOMPARE(app->row(3), QStringLiteral("128_48_2"));
    audio->setFocus();
    QTest::keyClick(audio, Qt::Key_Home);
    QCOMPARE(audio->currentIndex(), 0);
    QCOMPARE(app->row(3), QStringLiteral("64_44_2"));

    app->control<TEdit>(QStringLiteral("EditInput"))->setText(app->addMedia(QStringLiteral("clip.avi")));
    Form1->EncodeButtonClick();
    QVERIFY(app->appFile(QStringLiteral("tmpconfig.weu")).contains("-a_setting 64_44_2\r\n"));
}

QUILLMARK_TEST_MAIN(SettingsTest)
#include "test_settings.moc"
