// The section to encode: the check box, the two track bars and the two boxes, the -time row in
// milliseconds, the refused times, and the player's play range.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "platform/gui/Controls.h"
#include "source/SectionTimes.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"

#include <QCheckBox>
#include <QLocale>

class SelectionTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void secondsToMilliseconds_data();
    void secondsToMilliseconds();

    void checkingWithDefaultsStoresZeroZero();
    void typedTimesMoveBarsRowAndPlayer();
    void typedHalvesRoundToEven_data();
    void typedHalvesRoundToEven();
    void startNotBeforeEndIsRefused();
    void endNotAfterStartIsRefused();
    void timeBeyondTheMediaIsRefused();
    void timesUpToTheEndOfTheBarsAreAccepted_data();
    void timesUpToTheEndOfTheBarsAreAccepted();
    void barsKeepStartBeforeEnd();
    void barsFollowAfterATypedTime();
    void pastedTextCountsAsZeroAndIsReportedOnExit();
    void uncheckingClearsTheRowAndKeepsTheTexts();
    void uncheckingPlaysTheWholeSource();
    void newSourceResetsTheSection();
    void placeholderBoxesOnClickAndExit();
    void withoutASourceTimesAreStillCompared();
    void decimalPointIsADotInAnyLocale();

private:
    TEdit *box(const char *name) const { return app->control<TEdit>(QString::fromLatin1(name)); }
    TTrackBar *bar(const char *name) const { return app->control<TTrackBar>(QString::fromLatin1(name)); }
    void openSource(double seconds);
    void typeTime(TEdit *edit, const QString &text, bool leave = true);

    std::unique_ptr<TestApp> app;
    QCheckBox *section = nullptr;
    TMediaPlayer2 *player = nullptr;
};

void SelectionTest::init()
{
    app = std::make_unique<TestApp>();
    Form1->ButtonMoreClick();
    section = app->control<QCheckBox>(QStringLiteral("CheckBox2"));
    player = Form4->Player();
}

void SelectionTest::cleanup()
{
    app.reset();
    QLocale::setDefault(QLocale::c());
}

void SelectionTest::openSource(double seconds)
{
    box("EditInput")->setText(app->addMedia(QStringLiteral("clip.avi"), MediaFacts{seconds, 320, 240, 0}));
    QTRY_COMPARE(bar("TrackBarSelEnd")->maximum(), WholeSeconds(seconds));
}

// Clicks into the box, replaces its text by typing, and leaves it with Tab (or stays).
void SelectionTest::typeTime(TEdit *edit, const QString &text, bool leave)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    TypeText(edit, text);
    if (leave)
        QTest::keyClick(edit, Qt::Key_Tab);
}

void SelectionTest::secondsToMilliseconds_data()
{
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("milliseconds");
    QTest::newRow("placeholder") << "(default)" << "0";
    QTest::newRow("empty") << "" << "0";
    QTest::newRow("whole") << "10" << "10000";
    QTest::newRow("decimals") << "1.5" << "1500";
    QTest::newRow("half to even, down") << "0.0125" << "12";
    QTest::newRow("half to even, up") << "0.0135" << "14";
    QTest::newRow("exact half, a little above it in binary") << "4.0025" << "4002";
    QTest::newRow("exact half, a little below it in binary") << "0.5015" << "502";
    QTest::newRow("exact half with an exponent") << "2.0005e0" << "2000";
    QTest::newRow("sign and blanks around") << " +.0025 " << "2";
    QTest::newRow("lone point") << "." << "0";
    QTest::newRow("two points") << "1.2.3" << "0";
    QTest::newRow("letters") << "abc" << "0";
    QTest::newRow("leading point") << ".25" << "250";
    QTest::newRow("trailing point") << "2." << "2000";
    QTest::newRow("negative zero") << "-0" << "0";
    QTest::newRow("too large for a number") << "1e400" << "0";
    QTest::newRow("very large") << "1e15" << "1000000000000000000";
}

void SelectionTest::secondsToMilliseconds()
{
    QFETCH(QString, seconds);
    QFETCH(QString, milliseconds);
    QCOMPARE(SecondsToMsText(seconds), milliseconds);
}

void SelectionTest::checkingWithDefaultsStoresZeroZero()
{
    QTest::mouseClick(section, Qt::LeftButton);
    QCOMPARE(app->row(15), QStringLiteral("0 0"));
    QVERIFY(box("EditSelStart")->isEnabled());
    QVERIFY(!bar("TrackBarSelStart")->isEnabled());
}

void SelectionTest::typedTimesMoveBarsRowAndPlayer()
{
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    QVERIFY(bar("TrackBarSelStart")->isEnabled());
    QCOMPARE(app->row(15), QStringLiteral("0 30000"));

    typeTime(box("EditSelStart"), QStringLiteral("1.5"));
    typeTime(box("EditSelEnd"), QStringLiteral("10"));
    QCOMPARE(app->row(15), QStringLiteral("1500 10000"));
    QCOMPARE(box("EditSelStart")->text(), QStringLiteral("1.5"));
    QCOMPARE(bar("TrackBarSelStart")->value(), 2);
    QCOMPARE(bar("TrackBarSelEnd")->value(), 10);
    QCOMPARE(player->SelectionStart(), 1.5);
    QCOMPARE(player->SelectionEnd(), 10.0);
    for (TTrackBar *trackBar : {bar("TrackBarSelStart"), bar("TrackBarSelEnd")}) {
        QCOMPARE(trackBar->SelStart(), 2);
        QCOMPARE(trackBar->SelEnd(), 10);
    }

    // Enter applies at once and keeps the focus; letters do nothing.
    typeTime(box("EditSelEnd"), QStringLiteral("2x0"), false);
    QCOMPARE(box("EditSelEnd")->text(), QStringLiteral("20"));
    QTest::keyClick(box("EditSelEnd"), Qt::Key_Return);
    QVERIFY(box("EditSelEnd")->hasFocus());
    QCOMPARE(bar("TrackBarSelEnd")->value(), 20);
    QCOMPARE(player->SelectionEnd(), 20.0);

    box("EditInput")->setText(app->addMedia(QStringLiteral("clip2.avi"), MediaFacts{30, 0, 0, 0}));
    box("EditSelStart")->setFocus();
    QTest::mouseClick(app->control<QWidget>(QStringLiteral("EncodeButton")), Qt::LeftButton);
    QVERIFY(app->appFile(QStringLiteral("tmpconfig.weu")).contains("\r\n-time 1500 20000\r\n"));
}

void SelectionTest::typedHalvesRoundToEven_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("row");
    QTest::newRow("2.5") << "2.5" << 2 << "2500 30000";
    QTest::newRow("3.5") << "3.5" << 4 << "3500 30000";
}

void SelectionTest::typedHalvesRoundToEven()
{
    QFETCH(QString, typed);
    QFETCH(int, position);
    QFETCH(QString, row);
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelStart"), typed);
    QCOMPARE(bar("TrackBarSelStart")->value(), position);
    QCOMPARE(app->row(15), row);
}

void SelectionTest::startNotBeforeEndIsRefused()
{
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelEnd"), QStringLiteral("10"));
    typeTime(box("EditSelStart"), QStringLiteral("4"));
    typeTime(box("EditSelStart"), QStringLiteral("12"));

    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("Invalid entry"));
    QCOMPARE(app->dialogs.messages[0].text,
             QStringLiteral("The start time you entered is not acceptable.\r\rThe start time must be less than the "
                            "length of the media\rand cannot be greater than or the same as the end time."));
    QCOMPARE(app->dialogs.messages[0].icon, MessageIcon::Information);
    QCOMPARE(box("EditSelStart")->text(), QStringLiteral("4"));
    QCOMPARE(app->row(15), QStringLiteral("4000 10000"));
}

void SelectionTest::endNotAfterStartIsRefused()
{
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelStart"), QStringLiteral("10"));
    typeTime(box("EditSelEnd"), QStringLiteral("10"));
    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].text,
             QStringLiteral("The end time you entered is not acceptable.\r\rThe end time must be less than the "
                            "length of the media\rand cannot be less than or the same as the start time."));
    QCOMPARE(box("EditSelEnd")->text(), QStringLiteral("(default)"));
    QCOMPARE(app->row(15), QStringLiteral("10000 0"));
}

void SelectionTest::timeBeyondTheMediaIsRefused()
{
    openSource(12.5);
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelEnd"), QStringLiteral("12.5"));
    QVERIFY(app->dialogs.messages.isEmpty());
    typeTime(box("EditSelEnd"), QStringLiteral("13"));
    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(box("EditSelEnd")->text(), QStringLiteral("12.5"));
    typeTime(box("EditSelStart"), QStringLiteral("12.5"));
    QCOMPARE(app->dialogs.messages.size(), 2);
    QCOMPARE(box("EditSelStart")->text(), QStringLiteral("0"));
}

// The bars of a source whose length rounds up end after it; the times they show, and any typed time up
// to their end, are accepted and stored as typed.
void SelectionTest::timesUpToTheEndOfTheBarsAreAccepted_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("refusals");
    QTest::addColumn<QString>("row");
    QTest::newRow("the bars' own end, left as filled in") << 3.5 << "" << "" << 0 << "0 4000";
    QTest::newRow("a start, then the end left as it is") << 3.5 << "1" << "" << 0 << "1000 4000";
    QTest::newRow("the end typed at the bars' end") << 3.5 << "" << "4" << 0 << "0 4000";
    QTest::newRow("between the media's end and the bars'") << 3.5 << "" << "3.75" << 0 << "0 3750";
    QTest::newRow("past the bars' end") << 3.5 << "" << "4.001" << 1 << "0 4000";
    QTest::newRow("a start past the media's end") << 3.5 << "3.6" << "" << 1 << "0 4000";
    QTest::newRow("bars ending before the media's end") << 2.5 << "" << "2.5" << 0 << "0 2500";
}

void SelectionTest::timesUpToTheEndOfTheBarsAreAccepted()
{
    QFETCH(double, length);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, refusals);
    QFETCH(QString, row);
    openSource(length);
    QTest::mouseClick(section, Qt::LeftButton);
    if (start.isEmpty())
        QTest::mouseClick(box("EditSelStart"), Qt::LeftButton);
    else
        typeTime(box("EditSelStart"), start, false);
    QTest::keyClick(box("EditSelStart"), Qt::Key_Tab);
    if (end.isEmpty())
        QTest::mouseClick(box("EditSelEnd"), Qt::LeftButton);
    else
        typeTime(box("EditSelEnd"), end, false);
    QTest::keyClick(box("EditSelEnd"), Qt::Key_Tab);
    QCOMPARE(app->dialogs.messages.size(), refusals);
    QCOMPARE(app->row(15), row);
}

void SelectionTest::barsKeepStartBeforeEnd()
{
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    TTrackBar *start = bar("TrackBarSelStart");
    TTrackBar *end = bar("TrackBarSelEnd");
    end->setValue(20);
    start->setValue(25);
    QCOMPARE(start->value(), 19);
    QCOMPARE(box("EditSelStart")->text(), QStringLiteral("19"));
    QCOMPARE(app->row(15), QStringLiteral("19000 20000"));
    QCOMPARE(player->SelectionStart(), 19.0);

    end->setValue(3);
    QCOMPARE(end->value(), 20);
    QCOMPARE(box("EditSelEnd")->text(), QStringLiteral("20"));

    start->setValue(0);
    end->setValue(0);
    QCOMPARE(end->value(), 1);
    start->setValue(29);
    end->setValue(30);
    start->setValue(30);
    QCOMPARE(start->value(), 29);
    end->setValue(10);
    QCOMPARE(end->value(), 30);
    QCOMPARE(start->SelStart(), 29);
    QCOMPARE(end->SelEnd(), 30);

    end->setFocus();
    QTest::keyClick(end, Qt::Key_Left);
    QCOMPARE(end->value(), 30);
}

void SelectionTest::barsFollowAfterATypedTime()
{
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelEnd"), QStringLiteral("15.25"));
    bar("TrackBarSelEnd")->setFocus();
    QTest::keyClick(bar("TrackBarSelEnd"), Qt::Key_Right);
    QCOMPARE(box("EditSelEnd")->text(), QStringLiteral("16"));
    QCOMPARE(app->row(15), QStringLiteral("0 16000"));
    QCOMPARE(player->SelectionEnd(), 16.0);
}

void SelectionTest::pastedTextCountsAsZeroAndIsReportedOnExit()
{
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelEnd"), QStringLiteral("10"));
    TEdit *start = box("EditSelStart");
    QTest::mouseClick(start, Qt::LeftButton);
    start->selectAll();
    start->insert(QStringLiteral("1.2.3"));
    QCOMPARE(app->row(15), QStringLiteral("0 10000"));
    QTest::keyClick(start, Qt::Key_Tab);

    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("Quillmark"));
    QCOMPARE(app->dialogs.messages[0].text, QStringLiteral("'1.2.3' is not a valid floating point value."));
    QCOMPARE(app->dialogs.messages[0].icon, MessageIcon::Error);
    QCOMPARE(start->text(), QStringLiteral("1.2.3"));
}

void SelectionTest::uncheckingClearsTheRowAndKeepsTheTexts()
{
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelStart"), QStringLiteral("5"));
    QTest::mouseClick(section, Qt::LeftButton);
    QCOMPARE(app->row(15), QString());
    QCOMPARE(box("EditSelStart")->text(), QStringLiteral("5"));
    QVERIFY(!box("EditSelStart")->isEnabled());
    QVERIFY(!bar("TrackBarSelStart")->isEnabled());
    QCOMPARE(bar("TrackBarSelStart")->value(), 5);

    box("EditSelEnd")->setText(QStringLiteral("7"));
    QCOMPARE(app->row(15), QString());
    QTest::mouseClick(section, Qt::LeftButton);
    QCOMPARE(app->row(15), QStringLiteral("5000 7000"));
}

void SelectionTest::uncheckingPlaysTheWholeSource()
{
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelStart"), QStringLiteral("5.5"));
    typeTime(box("EditSelEnd"), QStringLiteral("9"));
    QCOMPARE(player->SelectionStart(), 5.5);
    QCOMPARE(player->SelectionEnd(), 9.0);

    QTest::mouseClick(section, Qt::LeftButton);
    QCOMPARE(player->SelectionStart(), 0.0);
    QCOMPARE(player->SelectionEnd(), 0.0);
    player->Play();
    QCOMPARE(app->media->position, 0.0);

    QTest::mouseClick(section, Qt::LeftButton);
    QCOMPARE(player->SelectionStart(), 5.5);
    QCOMPARE(player->SelectionEnd(), 9.0);
}

void SelectionTest::newSourceResetsTheSection()
{
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelStart"), QStringLiteral("5"));
    typeTime(box("EditSelEnd"), QStringLiteral("9"));

    box("EditInput")->setText(app->addMedia(QStringLiteral("other.avi"), MediaFacts{3.5, 0, 0, 0}));
    QTRY_COMPARE(bar("TrackBarSelEnd")->maximum(), 4);
    QCOMPARE(bar("TrackBarSelStart")->value(), 0);
    QCOMPARE(bar("TrackBarSelEnd")->value(), 4);
    QCOMPARE(box("EditSelStart")->text(), QStringLiteral("0"));
    QCOMPARE(box("EditSelEnd")->text(), QStringLiteral("4"));
    QCOMPARE(app->row(15), QStringLiteral("0 4000"));
    QCOMPARE(player->SelectionStart(), 0.0);
    QCOMPARE(player->SelectionEnd(), 4.0);
}

void SelectionTest::placeholderBoxesOnClickAndExit()
{
    QTest::mouseClick(section, Qt::LeftButton);
    TEdit *start = box("EditSelStart");
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(start->text(), QString());
    QCOMPARE(app->row(15), QStringLiteral("0 0"));
    TypeText(start, QStringLiteral("2"));
    QCOMPARE(app->row(15), QStringLiteral("2000 0"));
    QTest::keyClick(start, Qt::Key_Backspace);
    QTest::keyClick(start, Qt::Key_Tab);
    QCOMPARE(start->text(), QStringLiteral("(default)"));
    QCOMPARE(app->row(15), QStringLiteral("0 0"));
}

void SelectionTest::withoutASourceTimesAreStillCompared()
{
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelStart"), QStringLiteral("3"));
    typeTime(box("EditSelEnd"), QStringLiteral("8"));
    QCOMPARE(app->row(15), QStringLiteral("3000 8000"));
    QVERIFY(!bar("TrackBarSelStart")->isEnabled());
    QCOMPARE(bar("TrackBarSelStart")->value(), 0);
    QCOMPARE(player->SelectionEnd(), 0.0);
    typeTime(box("EditSelEnd"), QStringLiteral("2"));
    QCOMPARE(app->dialogs.messages.size(), 1);
}

void SelectionTest::decimalPointIsADotInAnyLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    openSource(30);
    QTest::mouseClick(section, Qt::LeftButton);
    typeTime(box("EditSelStart"), QStringLiteral("1,5"));
    QCOMPARE(box("EditSelStart")->text(), QStringLiteral("15"));
    typeTime(box("EditSelStart"), QStringLiteral("1.25"));
    QCOMPARE(app->row(15), QStringLiteral("1250 30000"));
    QCOMPARE(player->SelectionStart(), 1.25);
}

QUILLMARK_TEST_MAIN(SelectionTest)
#include "test_selection.moc"
