// The preview: the player and its media facts, the news of a new stream, the Source Preview window
// docked and floating, the player moved by Ctrl+F, and View Source Info.
#include "MediaMaker.h"
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "platform/Failure.h"
#include "platform/NativeFiles.h"
#include "platform/gui/Controls.h"
#include "platform/gui/DockGrip.h"
#include "platform/gui/Services.h"
#include "source/engine/MediaProbe.h"
#include "source/gui/MediaModule.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLibraryInfo>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QToolButton>
#include <cstdio>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newStreamFillsInformationAndSection_data();
    void newStreamFillsInformationAndSection();
    void newStreamComesOncePerOpenedFile();
    void playKeepsToThePlayRange();
    void keysDriveThePreview();

    void informationShowsInTheToolTipColours();
    void previewIsDockedAtStart();
    void previewIsDraggedOutAndBack();
    void doubleClickFloatsWhereTheWindowStarts();
    void ctrlFMovesThePlayerIntoThePanelAndBack();

    void viewSourceInfo_data();
    void viewSourceInfo();

    void probeReadsRealMedia();
    void phoneVideoStoredOnItsSideIsShownUpright_data();
    void phoneVideoStoredOnItsSideIsShownUpright();
    void probeRefusesWhatIsNoMedia();
    void namedPipeSourceIsNeverOpened();

    void engineIsMadeAtTheFirstOpen();
    void engineThatCannotBeMadeIsReportedAtTheOpen();
    void moduleMakesARealEngine();
    void moduleMissingOrBrokenIsReported_data();
    void moduleMissingOrBrokenIsReported();

private:
    TEdit *control(const char *name) const { return app->control<TEdit>(QString::fromLatin1(name)); }
    TTrackBar *bar(const char *name) const { return app->control<TTrackBar>(QString::fromLatin1(name)); }
    void dragGrip(QPoint from, QPoint to);

    std::unique_ptr<TestApp> app;
    TMediaPlayer2 *player = nullptr;
};

void PreviewTest::init()
{
    app = std::make_unique<TestApp>();
    player = Form4->Player();
}

void PreviewTest::cleanup()
{
    app.reset();
}

void PreviewTest::newStreamFillsInformationAndSection_data()
{
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qint64>("bitRate");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("length");
    QTest::newRow("audio") << 12.5 << 0 << 0 << qint64(1411200)
                           << QStringList{u"Duration: 12.5 seconds"_s, u"Bandwidth: 1411200bps"_s} << 12;
    QTest::newRow("video") << 30.0 << 320 << 240 << qint64(0)
                           << QStringList{u"Duration: 30 seconds"_s, u"Height: 240"_s, u"Width: 320"_s} << 30;
    QTest::newRow("half rounds down to even") << 2.5 << 0 << 0 << qint64(0) << QStringList{u"Duration: 2.5 seconds"_s} << 2;
    QTest::newRow("half rounds up to even") << 3.5 << 0 << 0 << qint64(0) << QStringList{u"Duration: 3.5 seconds"_s} << 4;
    QTest::newRow("long fraction") << 1.0 / 3 << 0 << 0 << qint64(0)
                                   << QStringList{u"Duration: 0.333333333333333 seconds"_s} << 0;
}

void PreviewTest::newStreamFillsInformationAndSection()
{
    QFETCH(double, duration);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qint64, bitRate);
    QFETCH(QStringList, lines);
    QFETCH(int, length);
    const QString clip = app->addMedia(QStringLiteral("clip.avi"), MediaFacts{duration, width, height, bitRate});
    control("EditWidth")->setText(QStringLiteral("100"));
    control("EditHeight")->setText(QStringLiteral("80"));

    control("EditInput")->setText(clip);
    QCOMPARE(app->control<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText(), QString());
    QTRY_COMPARE(app->control<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText(), lines.join(u'\n'));

    for (TTrackBar *section : {bar("TrackBarSelStart"), bar("TrackBarSelEnd")}) {
        QCOMPARE(section->minimum(), 0);
        QCOMPARE(section->maximum(), length);
        QCOMPARE(section->SelStart(), 0);
        QCOMPARE(section->SelEnd(), length);
    }
    QCOMPARE(bar("TrackBarSelStart")->value(), 0);
    QCOMPARE(bar("TrackBarSelEnd")->value(), length);
    QCOMPARE(control("EditSelStart")->text(), QStringLiteral("0"));
    QCOMPARE(control("EditSelEnd")->text(), QString::number(length));
    const bool picture = width > 0;
    QCOMPARE(control("EditWidth")->text(), picture ? QString::number(width) : QStringLiteral("100"));
    QCOMPARE(control("EditHeight")->text(), picture ? QString::number(height) : QStringLiteral("80"));
    QCOMPARE(app->row(5), QString());
    QCOMPARE(app->row(6), QString());
}

void PreviewTest::newStreamComesOncePerOpenedFile()
{
    QSignalSpy news(player, &TMediaPlayer2::NewStream);
    const QString first = app->addMedia(QStringLiteral("first.avi"), MediaFacts{10, 0, 0, 0});
    const QString second = app->addMedia(QStringLiteral("second.avi"), MediaFacts{20, 0, 0, 0});

    player->Open(first);
    QCOMPARE(news.size(), 0);
    QTRY_COMPARE(news.size(), 1);
    QTest::qWait(20);
    QCOMPARE(news.size(), 1);

    player->Open(first);
    player->Open(second);
    QTRY_COMPARE(news.size(), 2);
    QTest::qWait(20);
    QCOMPARE(news.size(), 2);
    QCOMPARE(player->Duration(), 20.0);

    player->Open(first);
    player->SetFileName(QString());
    QTest::qWait(20);
    QCOMPARE(news.size(), 2);
    QCOMPARE(player->Duration(), 0.0);
}

void PreviewTest::playKeepsToThePlayRange()
{
    player->Open(app->addMedia(QStringLiteral("clip.avi"), MediaFacts{30, 320, 240, 0}));
    player->SetSelectionStart(5);
    player->SetSelectionEnd(8);
    app->media->calls.clear();

    auto *playButton = player->findChild<QToolButton *>(QStringLiteral("PlayButton"));
    QVERIFY(playButton->isEnabled());
    QTest::mouseClick(playButton, Qt::LeftButton);
    QCOMPARE(app->media->calls, (QStringList{u"SetPosition 5"_s, u"Play"_s}));
    QVERIFY(!playButton->isEnabled());
    FakeMediaBackend *backend = app->media->backend;
    backend->Advance(7.9);
    QVERIFY(app->media->playing);
    backend->Advance(8.04);
    QVERIFY(!app->media->playing);
    QVERIFY(playButton->isEnabled());
    QCOMPARE(app->media->position, 8.0);

    app->media->calls.clear();
    player->Play();
    QCOMPARE(app->media->calls, (QStringList{u"SetPosition 5"_s, u"Play"_s}));

    // Stop rests at the start of the play range, or of the media without one, showing its picture.
    app->media->calls.clear();
    QTest::mouseClick(player->findChild<QToolButton *>(QStringLiteral("StopButton")), Qt::LeftButton);
    QCOMPARE(app->media->calls, (QStringList{u"Pause"_s, u"SetPosition 5"_s}));
    QVERIFY(!app->media->playing);
    QVERIFY(playButton->isEnabled());
    player->SetSelectionStart(0);
    player->SetSelectionEnd(0);
    backend->Advance(12);
    player->Stop();
    QCOMPARE(app->media->position, 0.0);
}

// The preview's grip, buttons and bar are the last stops of the window's round, right before the
// source box. The arrows move the bar by a second, Page Up by ten; Space on Play or Pause leaves the
// focus on the other; Space or Enter on the grip floats and docks the preview, the grip keeping the
// focus in the window it lands in, and the main window takes keys again once the preview is back.
void PreviewTest::keysDriveThePreview()
{
    control("EditInput")->setText(app->addMedia(QStringLiteral("clip.avi"), MediaFacts{30, 320, 240, 0}));
    QTRY_VERIFY(bar("TrackBarSelEnd")->maximum() == 30);
    app->media->calls.clear();
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    const auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    QTRY_VERIFY(control("EditInput")->hasFocus());

    press(Qt::Key_Backtab);
    QCOMPARE(focused(), u"PositionBar"_s);
    press(Qt::Key_Right);
    press(Qt::Key_PageUp);
    QCOMPARE(app->media->calls, (QStringList{u"SetPosition 1"_s, u"SetPosition 11"_s}));

    press(Qt::Key_Backtab);
    press(Qt::Key_Backtab);
    QCOMPARE(focused(), u"PlayButton"_s);
    press(Qt::Key_Space);
    QVERIFY(app->media->playing);
    QCOMPARE(focused(), u"PauseButton"_s);
    press(Qt::Key_Space);
    QVERIFY(!app->media->playing);
    QCOMPARE(focused(), u"PlayButton"_s);

    press(Qt::Key_Backtab);
    QCOMPARE(focused(), u"DockGrip"_s);
    press(Qt::Key_Space);
    QVERIFY(!Form4->Docked());
    QTRY_COMPARE(focused(), u"DockGrip"_s);
    press(Qt::Key_Return);
    QVERIFY(Form4->Docked());
    QTRY_COMPARE(focused(), u"DockGrip"_s);
    QCOMPARE(QApplication::activeWindow(), Form1);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), u"PlayButton"_s);
}

void PreviewTest::informationShowsInTheToolTipColours()
{
    Form1->ButtonMoreClick();
    auto *memo = app->control<QPlainTextEdit>(QStringLiteral("Memo1"));
    memo->setPlainText(QStringLiteral("Duration: 30 seconds"));
    const QImage shown = memo->viewport()->grab().toImage();
    const QPalette system = QApplication::palette();
    QCOMPARE(shown.pixelColor(shown.width() - 4, shown.height() - 4), system.color(QPalette::ToolTipBase));
    QCOMPARE(memo->palette().color(QPalette::Text), system.color(QPalette::ToolTipText));
}

void PreviewTest::previewIsDockedAtStart()
{
    auto *panel = app->control<QFrame>(QStringLiteral("Panel2"));
    QCOMPARE(Form4->parentWidget(), panel);
    QVERIFY(Form4->isVisible());
    QVERIFY(Form4->Docked());
    QCOMPARE(Form4->geometry(), panel->contentsRect());
    QCOMPARE(Form4->windowTitle(), QStringLiteral("Source Preview"));
    QVERIFY(app->control<QAction>(QStringLiteral("FloatablePreviewWindow1"))->isChecked());
    QCOMPARE(panel->frameShadow(), QFrame::Raised);
}

void PreviewTest::dragGrip(QPoint from, QPoint to)
{
    DragWithMouse(app->control<TDockGrip>(QStringLiteral("DockGrip")), from, to);
}

void PreviewTest::previewIsDraggedOutAndBack()
{
    auto *panel = app->control<QFrame>(QStringLiteral("Panel2"));
    auto *grip = app->control<TDockGrip>(QStringLiteral("DockGrip"));
    const QPoint hold = grip->mapToGlobal(QPoint(20, 4));
    const QPoint drop = hold + QPoint(-300, 260);

    dragGrip(hold, drop);
    QVERIFY(!Form4->Docked());
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form4->size(), QSize(286, 281));
    QCOMPARE(Form4->geometry().topLeft(), drop - grip->GrabOffset());
    QVERIFY(player->ShowControls());

    dragGrip(grip->mapToGlobal(QPoint(20, 4)), panel->mapToGlobal(QPoint(40, 60)));
    QVERIFY(Form4->Docked());
    QCOMPARE(Form4->parentWidget(), panel);
    QCOMPARE(Form4->geometry(), panel->contentsRect());

    Form4->DockGripActivated();
    QVERIFY(!Form4->Docked());
    QCOMPARE(Form4->geometry().topLeft(), drop - grip->GrabOffset());
    Form4->DockGripActivated();
    QVERIFY(Form4->Docked());
}

void PreviewTest::doubleClickFloatsWhereTheWindowStarts()
{
    auto *grip = app->control<TDockGrip>(QStringLiteral("DockGrip"));
    QTest::mouseDClick(grip, Qt::LeftButton, Qt::NoModifier, QPoint(20, 4));
    QVERIFY(!Form4->Docked());
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form4->geometry(), QRect(199, 324, 286, 281));

    QTest::mouseDClick(app->control<TDockGrip>(QStringLiteral("DockGrip")), Qt::LeftButton, Qt::NoModifier, QPoint(20, 4));
    QVERIFY(Form4->Docked());
    QCOMPARE(Form4->parentWidget(), app->control<QWidget>(QStringLiteral("Panel2")));
}

void PreviewTest::ctrlFMovesThePlayerIntoThePanelAndBack()
{
    const QString clip = app->addMedia(QStringLiteral("clip.avi"), MediaFacts{30, 320, 240, 0});
    player->Open(clip);
    auto *panel = app->control<QFrame>(QStringLiteral("Panel2"));
    Form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form1));

    QTest::keyClick(Form1, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(player->parentWidget(), panel);
    QVERIFY(player->isVisible());
    QVERIFY(!Form4->isVisible());
    QCOMPARE(panel->frameShape(), QFrame::NoFrame);
    QVERIFY(!app->control<QAction>(QStringLiteral("FloatablePreviewWindow1"))->isChecked());

    QTest::keyClick(Form1, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(player->parentWidget(), Form4);
    QVERIFY(Form4->isVisible());
    QCOMPARE(panel->frameShape(), QFrame::Panel);
    QCOMPARE(player->FileName(), clip);
    QVERIFY(player->ShowControls());
}

void PreviewTest::viewSourceInfo_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("launched");
    QTest::newRow("empty source") << "" << false;
    QTest::newRow("missing source") << "gone.avi" << false;
    QTest::newRow("folder source") << "Media" << false;
    QTest::newRow("existing source") << "clip.avi" << true;
}

void PreviewTest::viewSourceInfo()
{
    QFETCH(QString, source);
    QFETCH(bool, launched);
    QDir(app->appDir).mkpath(QStringLiteral("Media"));
    app->addMedia(QStringLiteral("clip.avi"));
    const QString path = source.isEmpty() ? QString() : app->appPath(source);
    control("EditInput")->setText(path);
    app->setRow(17, QStringLiteral("av100"));
    app->dialogs.messages.clear();

    Form1->Viewsourceinfo1Click();

    QCOMPARE(app->appFile(QStringLiteral("tmpconfig.weu")),
             path.isEmpty() ? QByteArray() : (u"-input \""_s + path + u"\"\r\n"_s).toUtf8());
    QCOMPARE(app->shell.calls.size(), launched ? 1 : 0);
    if (launched) {
        QCOMPARE(app->shell.calls[0].file, app->appPath(QStringLiteral("launch.bat")));
        QCOMPARE(app->shell.calls[0].parameters, u'"' + app->appPath(QStringLiteral("tmpconfig.weu")) + u'"');
        QCOMPARE(app->shell.calls[0].folder, app->appDir);
    } else {
        QCOMPARE(app->dialogs.messages.size(), 1);
        QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("File not found"));
        QCOMPARE(app->dialogs.messages[0].text, QStringLiteral("The source file you specified does not exist."));
    }
}

void PreviewTest::probeReadsRealMedia()
{
    const QString clip = MakeVideoClip(app->appDir, QStringLiteral("real clip.avi"), 320, 240, 2);
    const QString wav = MakeWav(app->appDir, QStringLiteral("real.wav"), 1.5);
    QVERIFY(!clip.isEmpty() && !wav.isEmpty());

    const MediaFacts video = ProbeMedia(clip);
    QCOMPARE(video.width, 320);
    QCOMPARE(video.height, 240);
    QVERIFY2(qAbs(video.duration - 2) < 0.1, qPrintable(QString::number(video.duration)));
    QVERIFY(video.bitRate > 1411200);

    const MediaFacts sound = ProbeMedia(wav);
    QCOMPARE(sound.width, 0);
    QCOMPARE(sound.bitRate, qint64(1411200));
    QVERIFY(qAbs(sound.duration - 1.5) < 0.01);

    app->media->probeOtherFiles = true;
    QSignalSpy news(player, &TMediaPlayer2::NewStream);
    control("EditInput")->setText(clip);
    QTRY_COMPARE(news.size(), 1);
    QTest::qWait(20);
    QCOMPARE(news.size(), 1);
    QVERIFY(app->control<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText().contains(u"\nHeight: 240\nWidth: 320\n"));
}

void PreviewTest::phoneVideoStoredOnItsSideIsShownUpright_data()
{
    QTest::addColumn<int>("degrees");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("a quarter turn") << 90 << 90 << 160;
    QTest::newRow("upside down") << 180 << 160 << 90;
    QTest::newRow("three quarters") << 270 << 90 << 160;
}

void PreviewTest::phoneVideoStoredOnItsSideIsShownUpright()
{
    QFETCH(int, degrees);
    QFETCH(int, width);
    QFETCH(int, height);
    const QString phone = MakeTurnedClip(app->appDir, QStringLiteral("phone%1.mp4").arg(degrees), 160, 90, degrees);
    QVERIFY(!phone.isEmpty());
    app->media->probeOtherFiles = true;
    QSignalSpy news(player, &TMediaPlayer2::NewStream);
    control("EditInput")->setText(phone);
    QTRY_COMPARE(news.size(), 1);
    QVERIFY(app->control<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText().contains(
        QStringLiteral("\nHeight: %1\nWidth: %2\n").arg(height).arg(width)));
    QCOMPARE(control("EditWidth")->text(), QString::number(width));
    QCOMPARE(control("EditHeight")->text(), QString::number(height));

    // The right margin is cut from the upright picture's width.
    control("EditClipRight")->setText(QStringLiteral("10"));
    QCOMPARE(app->row(14), QStringLiteral("0 0 %1 %2").arg(width - 10).arg(height));
}

void PreviewTest::probeRefusesWhatIsNoMedia()
{
    QFile text(app->appPath(QStringLiteral("notes.avi")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("these are notes, not a film\n");
    text.close();
    QVERIFY_THROWS_EXCEPTION(Failure, ProbeMedia(text.fileName()));
    QVERIFY_THROWS_EXCEPTION(Failure, ProbeMedia(app->appPath(QStringLiteral("missing.avi"))));
}

// Opening a named pipe waits until something writes to it: the window would freeze.
void PreviewTest::namedPipeSourceIsNeverOpened()
{
    const QString pipe = app->appPath(QStringLiteral("pipe.avi"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    app->media->probeOtherFiles = true;
    control("EditInput")->setText(pipe);
    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].text,
             QStringLiteral("Cannot open media file %1: it is a named pipe (FIFO), not a regular file.").arg(pipe));
    QCOMPARE(app->row(1), u'"' + pipe + u'"');
}

// Nothing before the first open makes the engine: not the start, the section, the buttons or a
// source that names no file. The first open makes it, shows its picture in the preview, and the
// next opens keep it.
void PreviewTest::engineIsMadeAtTheFirstOpen()
{
    int made = 0;
    const auto make = services().makeMediaBackend;
    services().makeMediaBackend = [&made, make] {
        ++made;
        return make();
    };
    QVERIFY(!app->media->backend);
    app->control<QCheckBox>(QStringLiteral("CheckBox2"))->click();
    player->SetSelectionStart(2);
    player->SetSelectionEnd(5);
    player->Play();
    player->Pause();
    player->Stop();
    control("EditInput")->setText(app->appPath(QStringLiteral("nothing here.avi")));
    QCOMPARE(made, 0);
    QVERIFY(app->media->calls.isEmpty());

    const QString first = app->addMedia(QStringLiteral("first.avi"), MediaFacts{10, 320, 240, 0});
    control("EditInput")->setText(first);
    QCOMPARE(made, 1);
    QTRY_VERIFY(app->media->backend->VideoView()->isVisible());
    QVERIFY(player->isAncestorOf(app->media->backend->VideoView()));
    QTRY_COMPARE(control("EditSelEnd")->text(), QStringLiteral("10"));

    control("EditInput")->setText(app->addMedia(QStringLiteral("second.avi"), MediaFacts{20, 0, 0, 0}));
    QTRY_COMPARE(control("EditSelEnd")->text(), QStringLiteral("20"));
    QCOMPARE(made, 1);
}

// An engine that cannot be made (its module missing or broken) is the open's failure: the default
// error report shows it, the source still reaches the table, and the next open tries again.
void PreviewTest::engineThatCannotBeMadeIsReportedAtTheOpen()
{
    const auto make = services().makeMediaBackend;
    services().makeMediaBackend = []() -> std::unique_ptr<MediaBackend> {
        throw Failure(QStringLiteral("The media engine could not be loaded"));
    };
    const QString clip = app->addMedia(QStringLiteral("clip.avi"), MediaFacts{30, 320, 240, 0});
    control("EditInput")->setText(clip);
    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("Quillmark"));
    QCOMPARE(app->dialogs.messages[0].text, QStringLiteral("The media engine could not be loaded."));
    QCOMPARE(app->row(1), u'"' + clip + u'"');
    QVERIFY(player->FileName().isEmpty());
    QVERIFY(!player->findChild<QToolButton *>(QStringLiteral("PlayButton"))->isEnabled());

    services().makeMediaBackend = make;
    control("EditInput")->setText(QString());
    control("EditInput")->setText(clip);
    QCOMPARE(player->FileName(), clip);
    QTRY_COMPARE(control("EditSelEnd")->text(), QStringLiteral("30"));
    QCOMPARE(app->dialogs.messages.size(), 1);
}

// The module the program loads from its folder makes an engine that reads and loads real media.
// The engine reads and plays a file whose name is not UTF-8.
void PreviewTest::moduleMakesARealEngine()
{
    const QString made = MakeVideoClip(app->appDir, QStringLiteral("module.avi"), 160, 120, 1);
    QVERIFY(!made.isEmpty());
    const QString clip = PathFromNative(NativePath(app->appDir) + "/module\xe9.avi");
    QCOMPARE(std::rename(NativePath(made).constData(), NativePath(clip).constData()), 0);
    const auto removeClip = qScopeGuard([&] { std::remove(NativePath(clip).constData()); });
    const std::unique_ptr<MediaBackend> engine = MakeModuleMediaBackend(qEnvironmentVariable("QUILLMARK_BIN_DIR"));
    QVERIFY(engine->VideoView());
    const MediaFacts facts = engine->Load(clip);
    QCOMPARE(facts.width, 160);
    QCOMPARE(facts.height, 120);
    engine->Play();
    QTRY_VERIFY(engine->Position() > 0);
    QVERIFY_THROWS_EXCEPTION(Failure, engine->Load(app->appPath(QStringLiteral("missing.avi"))));
}

void PreviewTest::moduleMissingOrBrokenIsReported_data()
{
    QTest::addColumn<QString>("module");   // what stands in the folder in the module's place
    QTest::newRow("missing") << QString();
    QTest::newRow("not a library") << QStringLiteral("text");
    QTest::newRow("a library without the entry")
        << QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
}

void PreviewTest::moduleMissingOrBrokenIsReported()
{
    QFETCH(QString, module);
    const QString path = app->appPath(QString::fromLatin1(MediaModuleFileName));
    if (module == QLatin1String("text")) {
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a library\n");
    } else if (!module.isEmpty()) {
        QVERIFY(QFile::copy(module, path));
    }
    try {
        MakeModuleMediaBackend(app->appDir);
        QFAIL("a module that cannot make an engine made one");
    } catch (const Failure &failure) {
        QVERIFY2(failure.message().contains(path), qPrintable(failure.message()));
        QVERIFY2(failure.message().startsWith(QStringLiteral("The preview cannot open media")), qPrintable(failure.message()));
    }
}

QUILLMARK_TEST_MAIN(PreviewTest)
#include "test_preview.moc"
