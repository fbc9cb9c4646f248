// The Video tab: encoding mode, quality, frame rate, the numeric boxes with their placeholder,
// deinterlacing and the clipping margins.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "platform/gui/Controls.h"
#include "settings/VideoSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

class VideoTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutHoldsItsItemsAndRanges();
    void everyModeSetsQualityAndBoxes_data();
    void everyModeSetsQualityAndBoxes();
    void qualityZeroIsAValue();
    void placeholderOnClickExitAndDelete();
    void onlyDigitsReachTheBoxes();
    void enterStoresWithoutLeaving();
    void menuByKeyboardIsNoLeaving();
    void numberTypedThenEncodeIsStored();
    void framerateRowsAndTypedText_data();
    void framerateRowsAndTypedText();

    void deinterlaceMethods_data();
    void deinterlaceMethods();
    void uncheckingKeepsTheResets();

    void clipValue_data();
    void clipValue();
    void clippingWithThePictureSize();
    void clippingBoxesAndSpinners();
    void safeStrToInt_data();
    void safeStrToInt();

private:
    TEdit *box(const char *name) const { return app->control<TEdit>(QString::fromLatin1(name)); }
    void leave(QWidget *widget) const { app->control<QWidget>(QStringLiteral("EditInput"))->setFocus(); (void)widget; }

    std::unique_ptr<TestApp> app;
    TComboBox *mode = nullptr;
    TTrackBar *quality = nullptr;
    QLabel *qualityLabel = nullptr;
    TComboBox *framerate = nullptr;
    QCheckBox *deinterlace = nullptr;
    TComboBox *method = nullptr;
};

void VideoTest::init()
{
    app = std::make_unique<TestApp>();
    Form1->ButtonMoreClick();
    mode = app->control<TComboBox>(QStringLiteral("ComboBoxMode"));
    quality = app->control<TTrackBar>(QStringLiteral("TrackBarQuality"));
    qualityLabel = app->control<QLabel>(QStringLiteral("Label10"));
    framerate = app->control<TComboBox>(QStringLiteral("ComboBoxFramerate"));
    deinterlace = app->control<QCheckBox>(QStringLiteral("CheckBox1"));
    method = app->control<TComboBox>(QStringLiteral("ComboBoxPreproc"));
}

void VideoTest::cleanup()
{
    app.reset();
}

void VideoTest::layoutHoldsItsItemsAndRanges()
{
    QCOMPARE(quality->minimum(), -1);
    QCOMPARE(quality->maximum(), 100);
    QCOMPARE(quality->pageStep(), 5);
    QCOMPARE(quality->tickInterval(), 5);
    QCOMPARE(quality->value(), -1);
    QCOMPARE(qualityLabel->text(), QStringLiteral("(default)"));
    QCOMPARE(mode->count(), 5);
    QCOMPARE(mode->itemText(2), QStringLiteral("CBR, two pass"));
    QCOMPARE(framerate->count(), 7);
    QVERIFY(framerate->isEditable());
    QCOMPARE(method->itemText(2), QStringLiteral("Also half dimentions & double framerate"));
    QVERIFY(!method->isEnabled());
    const QList<QPair<const char *, int>> tags = {{"EditWidth", 5}, {"EditHeight", 6}, {"ComboBoxMode", 7},
                                                  {"ComboBoxFramerate", 8}, {"EditKeyframe", 9}, {"EditBitrate", 10},
                                                  {"TrackBarQuality", 11}, {"EditBuffer", 12}, {"ComboBoxPreproc", 13},
                                                  {"EditClipLeft", 14}, {"EditClipTop", 14}, {"EditClipRight", 14},
                                                  {"EditClipBottom", 14}};
    for (const auto &[name, tag] : tags)
        QCOMPARE(app->findControl(QString::fromLatin1(name))->property("Tag").toInt(), tag);
    auto *spinner = app->control<TUpDown>(QStringLiteral("UpDown3"));
    QCOMPARE(spinner->Associate(), QStringLiteral("EditClipRight"));
    QCOMPARE(spinner->Max(), 2048);
    QCOMPARE(spinner->Increment(), 4);
    QCOMPARE(app->control<QLabel>(QStringLiteral("Image1"))->size(), QSize(140, 90));
}

void VideoTest::everyModeSetsQualityAndBoxes_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("storedMode");
    QTest::addColumn<QString>("storedQuality");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("bitrateEnabled");
    QTest::addColumn<bool>("bufferEnabled");
    QTest::addColumn<bool>("qualityEnabled");
    QTest::newRow("(default)") << 0 << "" << "" << "(default)" << true << true << true;
    QTest::newRow("CBR, one pass") << 1 << "0" << "75" << "75%" << true << true << true;
    QTest::newRow("CBR, two pass") << 2 << "1" << "75" << "75%" << true << true << true;
    QTest::newRow("VBR, one pass") << 3 << "2" << "85" << "85%" << false << false << true;
    QTest::newRow("VBR, two pass") << 4 << "3" << "" << "(default)" << true << false << false;
}

void VideoTest::everyModeSetsQualityAndBoxes()
{
    QFETCH(int, row);
    QFETCH(QString, storedMode);
    QFETCH(QString, storedQuality);
    QFETCH(QString, label);
    QFETCH(bool, bitrateEnabled);
    QFETCH(bool, bufferEnabled);
    QFETCH(bool, qualityEnabled);

    for (TEdit *edit : {box("EditBitrate"), box("EditBuffer")}) {
        edit->setFocus();
        TypeText(edit, QStringLiteral("5000"));
        QTest::keyClick(edit, Qt::Key_Return);
    }
    ChooseRow(mode, 2);
    ChooseRow(mode, row);

    QCOMPARE(app->row(7), storedMode);
    QCOMPARE(app->row(11), storedQuality);
    QCOMPARE(qualityLabel->text(), label);
    QCOMPARE(box("EditBitrate")->isEnabled(), bitrateEnabled);
    QCOMPARE(box("EditBuffer")->isEnabled(), bufferEnabled);
    QCOMPARE(quality->isEnabled(), qualityEnabled);
    QCOMPARE(box("EditBitrate")->text(), bitrateEnabled ? QStringLiteral("5000") : QStringLiteral("(default)"));
    QCOMPARE(app->row(10), bitrateEnabled ? QStringLiteral("5000") : QString());
    QCOMPARE(box("EditBuffer")->text(), bufferEnabled ? QStringLiteral("5000") : QStringLiteral("(default)"));
    QCOMPARE(app->row(12), bufferEnabled ? QStringLiteral("5000") : QString());
}

void VideoTest::qualityZeroIsAValue()
{
    quality->setFocus();
    QTest::keyClick(quality, Qt::Key_Right);
    QCOMPARE(app->row(11), QStringLiteral("0"));
    QCOMPARE(qualityLabel->text(), QStringLiteral("0%"));
    QTest::keyClick(quality, Qt::Key_PageUp);
    QCOMPARE(app->row(11), QStringLiteral("5"));
    QTest::keyClick(quality, Qt::Key_Home);
    QCOMPARE(app->row(11), QString());
    QCOMPARE(qualityLabel->text(), QStringLiteral("(default)"));
}

void VideoTest::placeholderOnClickExitAndDelete()
{
    TEdit *width = box("EditWidth");
    QTest::mouseClick(width, Qt::LeftButton);
    QCOMPARE(width->text(), QString());
    leave(width);
    QCOMPARE(width->text(), QStringLiteral("(default)"));
    QCOMPARE(app->row(5), QString());

    QTest::mouseClick(width, Qt::LeftButton);
    TypeText(width, QStringLiteral("640"));
    QCOMPARE(app->row(5), QString());
    QTest::keyClick(width, Qt::Key_Backspace);
    QTest::keyClick(width, Qt::Key_Backspace);
    QTest::keyClick(width, Qt::Key_Backspace);
    QCOMPARE(width->text(), QStringLiteral("(default)"));
    QCOMPARE(width->selectedText(), QStringLiteral("(default)"));
    TypeText(width, QStringLiteral("320"));
    QCOMPARE(width->text(), QStringLiteral("320"));
    leave(width);
    QCOMPARE(app->row(5), QStringLiteral("320"));

    QTest::mouseClick(width, Qt::LeftButton);
    QCOMPARE(width->selectedText(), QStringLiteral("320"));
}

void VideoTest::onlyDigitsReachTheBoxes()
{
    for (const char *name : {"EditWidth", "EditHeight", "EditBitrate", "EditBuffer", "EditKeyframe", "EditClipLeft"}) {
        TEdit *edit = box(name);
        edit->setFocus();
        edit->selectAll();
        TypeText(edit, QString::fromUtf8("0-1.2a 3é,4"));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("01234"));
    }
}

void VideoTest::enterStoresWithoutLeaving()
{
    TEdit *keyframe = box("EditKeyframe");
    keyframe->setFocus();
    TypeText(keyframe, QStringLiteral("007"));
    QTest::keyClick(keyframe, Qt::Key_Return);
    QCOMPARE(app->row(9), QStringLiteral("007"));
    QVERIFY(keyframe->hasFocus());

    TEdit *clip = box("EditClipTop");
    clip->setFocus();
    const QString before = app->row(14);
    QTest::keyClick(clip, Qt::Key_Return);
    QCOMPARE(app->row(14), before);
    QCOMPARE(clip->text(), QStringLiteral("0"));
}

// Alt+U, Esc, Esc lends the keyboard to the menu bar and gives it back: the box is not left, so its
// row waits, as it does when the menu is opened with the mouse.
void VideoTest::menuByKeyboardIsNoLeaving()
{
    TEdit *keyframe = box("EditKeyframe");
    QTest::mouseClick(keyframe, Qt::LeftButton);
    TypeText(keyframe, QStringLiteral("5"));
    QTest::keyClick(keyframe, Qt::Key_Return);
    QTest::keyClick(keyframe, Qt::Key_Backspace);
    QCOMPARE(keyframe->text(), QStringLiteral("(default)"));

    QTest::keyClick(keyframe, Qt::Key_U, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTest::keyClick(app->control<QWidget>(QStringLiteral("MainMenu1")), Qt::Key_Escape);
    QTRY_VERIFY(keyframe->hasFocus());
    QCOMPARE(keyframe->text(), QStringLiteral("(default)"));
    QCOMPARE(app->row(9), QStringLiteral("5"));

    TypeText(keyframe, QStringLiteral("8"));
    QTest::keyClick(keyframe, Qt::Key_Tab);
    QCOMPARE(app->row(9), QStringLiteral("8"));
}

void VideoTest::numberTypedThenEncodeIsStored()
{
    app->control<TEdit>(QStringLiteral("EditInput"))->setText(app->addMedia(QStringLiteral("clip.avi")));
    TEdit *bitrate = box("EditBitrate");
    QTest::mouseClick(bitrate, Qt::LeftButton);
    TypeText(bitrate, QStringLiteral("300000"));
    QTest::mouseClick(app->control<QPushButton>(QStringLiteral("EncodeButton")), Qt::LeftButton);
    QVERIFY(app->appFile(QStringLiteral("tmpconfig.weu")).contains("-v_bitrate 300000\r\n"));
}

void VideoTest::framerateRowsAndTypedText_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("same as source") << 0 << "" << "";
    QTest::newRow("multimedia") << 1 << "" << "15";
    QTest::newRow("23.976") << 2 << "" << "23.976";
    QTest::newRow("film") << 3 << "" << "24";
    QTest::newRow("PAL") << 4 << "" << "25";
    QTest::newRow("NTSC") << 5 << "" << "29.970";
    QTest::newRow("30") << 6 << "" << "30";
    QTest::newRow("typed number") << -1 << "12.5" << "12.5";
    QTest::newRow("typed text") << -1 << "fast" << "fast";
}

void VideoTest::framerateRowsAndTypedText()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    ChooseRow(framerate, 6);
    if (row >= 0) {
        ChooseRow(framerate, row);
    } else {
        framerate->lineEdit()->selectAll();
        QTest::keyClick(framerate->lineEdit(), Qt::Key_Delete);
        TypeText(framerate->lineEdit(), typed.left(1));
        QCOMPARE(app->row(8), typed.left(1));
        TypeText(framerate->lineEdit(), typed.mid(1));
    }
    QCOMPARE(app->row(8), stored);
    QCOMPARE(Form1->FramerateValue(), stored);
}

void VideoTest::deinterlaceMethods_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("widthReset");
    QTest::addColumn<bool>("heightReset");
    QTest::addColumn<bool>("framerateReset");
    QTest::newRow("deinterlace only") << 0 << "1" << false << false << false;
    QTest::newRow("half dimensions") << 1 << "2" << true << true << false;
    QTest::newRow("half dimensions, double rate") << 2 << "3" << true << true << true;
    QTest::newRow("half height, double rate") << 3 << "4" << false << true << true;
    QTest::newRow("inverse telecine") << 4 << "5" << false << false << false;
}

void VideoTest::deinterlaceMethods()
{
    QFETCH(int, row);
    QFETCH(QString, stored);
    QFETCH(bool, widthReset);
    QFETCH(bool, heightReset);
    QFETCH(bool, framerateReset);
    for (TEdit *edit : {box("EditWidth"), box("EditHeight")}) {
        QTest::mouseClick(edit, Qt::LeftButton);
        TypeText(edit, QStringLiteral("480"));
        QTest::keyClick(edit, Qt::Key_Return);
    }
    ChooseRow(framerate, 4);

    QTest::mouseClick(deinterlace, Qt::LeftButton);
    QVERIFY(method->isEnabled());
    QCOMPARE(app->row(13), QStringLiteral("1"));
    ChooseRow(method, row);
    QCOMPARE(app->row(13), stored);

    QCOMPARE(box("EditWidth")->text(), widthReset ? QStringLiteral("(default)") : QStringLiteral("480"));
    QCOMPARE(box("EditWidth")->isEnabled(), !widthReset);
    QCOMPARE(app->row(5), widthReset ? QString() : QStringLiteral("480"));
    QCOMPARE(box("EditHeight")->text(), heightReset ? QStringLiteral("(default)") : QStringLiteral("480"));
    QCOMPARE(box("EditHeight")->isEnabled(), !heightReset);
    QCOMPARE(app->row(6), heightReset ? QString() : QStringLiteral("480"));
    QCOMPARE(framerate->currentIndex(), framerateReset ? 0 : 4);
    QCOMPARE(framerate->isEnabled(), !framerateReset);
    QCOMPARE(app->row(8), framerateReset ? QString() : QStringLiteral("25"));
}

void VideoTest::uncheckingKeepsTheResets()
{
    QTest::mouseClick(deinterlace, Qt::LeftButton);
    ChooseRow(method, 2);
    QCOMPARE(app->row(13), QStringLiteral("3"));
    QTest::mouseClick(deinterlace, Qt::LeftButton);

    QCOMPARE(app->row(13), QStringLiteral("0"));
    QVERIFY(!method->isEnabled());
    QVERIFY(box("EditWidth")->isEnabled());
    QVERIFY(box("EditHeight")->isEnabled());
    QVERIFY(framerate->isEnabled());
    QCOMPARE(box("EditWidth")->text(), QStringLiteral("(default)"));
    QCOMPARE(framerate->currentText(), QStringLiteral("(Same as source)"));

    QTest::mouseClick(deinterlace, Qt::LeftButton);
    QCOMPARE(app->row(13), QStringLiteral("3"));
    QVERIFY(!box("EditWidth")->isEnabled());
    QVERIFY(!framerate->isEnabled());
}

void VideoTest::clipValue_data()
{
    QTest::addColumn<QStringList>("margins");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("value");
    QTest::newRow("picture known") << QStringList{u"8"_s, u"0"_s, u"16"_s, u"0"_s} << 320 << 240 << "8 0 304 240";
    QTest::newRow("no picture") << QStringList{u"8"_s, u"0"_s, u"16"_s, u"0"_s} << 0 << 0 << "8 0 16 0";
    QTest::newRow("height unknown") << QStringList{u"8"_s, u"0"_s, u"16"_s, u"0"_s} << 320 << 0 << "8 0 16 0";
    QTest::newRow("margin beyond the picture") << QStringList{u"0"_s, u"0"_s, u"400"_s, u"4"_s} << 320 << 240 << "0 0 -80 236";
    QTest::newRow("unreadable margins count as 0") << QStringList{u"x"_s, u"%3"_s, u"1e3"_s, u"+"_s} << 320 << 240 << "x %3 320 240";
}

void VideoTest::clipValue()
{
    QFETCH(QStringList, margins);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, value);
    QCOMPARE(ClipValue(margins[0], margins[1], margins[2], margins[3], width, height), value);
}

void VideoTest::clippingWithThePictureSize()
{
    app->control<TEdit>(QStringLiteral("EditInput"))
        ->setText(app->addMedia(QStringLiteral("clip.avi"), MediaFacts{30, 320, 240, 0}));
    box("EditClipLeft")->setText(QStringLiteral("8"));
    QCOMPARE(app->row(14), QStringLiteral("8 0 320 240"));
    box("EditClipRight")->setText(QStringLiteral("16"));
    QCOMPARE(app->row(14), QStringLiteral("8 0 304 240"));

    app->control<TEdit>(QStringLiteral("EditInput"))->setText(QStringLiteral("(No file selected)"));
    box("EditClipRight")->setText(QStringLiteral("20"));
    QCOMPARE(app->row(14), QStringLiteral("8 0 20 0"));
}

void VideoTest::clippingBoxesAndSpinners()
{
    TEdit *left = box("EditClipLeft");
    left->setText(QStringLiteral("00"));
    QCOMPARE(app->row(14), QStringLiteral("00 0 0 0"));
    left->setText(QStringLiteral("0"));
    QCOMPARE(app->row(14), QString());

    TEdit *bottom = box("EditClipBottom");
    bottom->setFocus();
    bottom->selectAll();
    QTest::keyClick(bottom, Qt::Key_Backspace);
    QCOMPARE(bottom->text(), QStringLiteral("0"));
    QCOMPARE(bottom->selectedText(), QStringLiteral("0"));

    auto *spinner = app->control<TUpDown>(QStringLiteral("UpDown4"));
    spinner->Step(+1);
    spinner->Step(+1);
    QCOMPARE(bottom->text(), QStringLiteral("8"));
    QCOMPARE(app->row(14), QStringLiteral("0 0 0 8"));
    spinner->Step(-1);
    spinner->Step(-1);
    spinner->Step(-1);
    QCOMPARE(bottom->text(), QStringLiteral("0"));
    QCOMPARE(app->row(14), QString());
    bottom->setText(QStringLiteral("2047"));
    spinner->Step(+1);
    QCOMPARE(bottom->text(), QStringLiteral("2048"));
    bottom->setText(QStringLiteral("9999"));
    QCOMPARE(app->row(14), QStringLiteral("0 0 0 9999"));
}

void VideoTest::safeStrToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << "16" << 16;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("signed") << "-4" << -4;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "1a" << 0;
    QTest::newRow("blank") << " 4" << 0;
    QTest::newRow("too large") << "99999999999" << 0;
}

void VideoTest::safeStrToInt()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(SafeStrToInt(text), value);
}

QUILLMARK_TEST_MAIN(VideoTest)
#include "test_video.moc"
