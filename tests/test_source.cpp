// The source and output boxes: what each kind of source proposes, colours, browse buttons, the
// Video tab, the player, the rows, and the browse commands.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "platform/NativeFiles.h"
#include "platform/gui/Controls.h"
#include "platform/gui/QtDialogs.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QToolButton>
#include <filesystem>
#include <fstream>

using namespace Qt::StringLiterals;

namespace {

const QColor Red(255, 0, 0);

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// The state of the four browse buttons, in the order 1 (source folder), 2 (output folder),
// 3 (source file), 4 (output file).
QString buttons(const TestApp &app)
{
    QString state;
    for (const char *name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"})
        state += app.control<QToolButton>(QString::fromLatin1(name))->isEnabled() ? u'1' : u'0';
    return state;
}

QColor textColour(QLineEdit *box)
{
    return box->palette().color(QPalette::Text);
}

} // namespace

class SourceTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sourceFileProposesItsOutput_data();
    void sourceFileProposesItsOutput();
    void unsupportedSourceIsWarnedAbout();
    void sourceFolderProposesAnOutputFolder_data();
    void sourceFolderProposesAnOutputFolder();
    void shortFolderTextChangesOnlyColourAndRow();
    void missingSourceAndEmptiedBox();
    void placeholderComesAndGoesWithTheFocus();
    void outputThatExistsIsRed();
    void oddPathsAreStoredExactly_data();
    void oddPathsAreStoredExactly();
    void playerFailureStillStoresTheSource();
    void checkedSectionEnablesTrackBarsForAFile();
    void failedOpenForgetsTheFileBefore_data();
    void failedOpenForgetsTheFileBefore();
    void startUpFocusEntersTheSourceBox();
    void menuByKeyboardLeavesTheSourceBoxEntered();
    void relativePathsAreStoredAbsolute();

    void browseCommands();
    void saveDialogPreselectsTheFilterOfTheSource_data();
    void saveDialogPreselectsTheFilterOfTheSource();
    void folderBrowserStartsInTheSourceFolder_data();
    void folderBrowserStartsInTheSourceFolder();
    void fileDialogsShowTheFiltersAsWrittenAndMatchAnyCase_data();
    void fileDialogsShowTheFiltersAsWrittenAndMatchAnyCase();
    void menuCommandsActWhileButtonsAreDisabled();
    void encodeWritesTheChosenPaths();
    void droppedFilesNameTheSourceOrOutput_data();
    void droppedFilesNameTheSourceOrOutput();

private:
    std::unique_ptr<TestApp> app;
    TEdit *input = nullptr;
    TEdit *output = nullptr;
    QString media;   // a folder for the test's media files
};

void SourceTest::init()
{
    app = std::make_unique<TestApp>();
    input = app->control<TEdit>(QStringLiteral("EditInput"));
    output = app->control<TEdit>(QStringLiteral("EditOutput"));
    media = app->appPath(QStringLiteral("Media"));
    QVERIFY(QDir().mkpath(media));
}

void SourceTest::cleanup()
{
    app.reset();
}

void SourceTest::sourceFileProposesItsOutput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<bool>("videoTab");
    QTest::newRow("avi") << "clip.avi" << "clip.wmv" << true;
    QTest::newRow("wav in mixed case") << "song.Wav" << "song.wma" << false;
    QTest::newRow("avi in mixed case") << "clip.aVi" << "clip.wmv" << true;
}

void SourceTest::sourceFileProposesItsOutput()
{
    QFETCH(QString, name);
    QFETCH(QString, proposed);
    QFETCH(bool, videoTab);
    const QString source = media + u'/' + name;
    touch(source);
    app->media->files.insert(source, MediaFacts{12.5, 0, 0, 1411200});

    input->setText(source);

    QCOMPARE(output->text(), media + u'/' + proposed);
    QCOMPARE(buttons(*app), QStringLiteral("1011"));
    auto *pages = app->control<QTabWidget>(QStringLiteral("PageControl1"));
    QCOMPARE(pages->isTabVisible(pages->indexOf(app->control<QWidget>(QStringLiteral("TabSheet1")))), videoTab);
    QCOMPARE(app->row(1), u'"' + source + u'"');
    QCOMPARE(app->row(2), u'"' + media + u'/' + proposed + u'"');
    QCOMPARE(textColour(input), QApplication::palette().color(QPalette::Text));
    QCOMPARE(textColour(output), QApplication::palette().color(QPalette::Text));
    QCOMPARE(app->media->calls, QStringList{QStringLiteral("Load ") + source});
    QVERIFY(app->dialogs.messages.isEmpty());
}

void SourceTest::unsupportedSourceIsWarnedAbout()
{
    const QString song = media + QStringLiteral("/song.mp3");
    touch(song);
    app->media->files.insert(song, MediaFacts{3, 0, 0, 128000});
    output->setText(QStringLiteral("/keep/this.wmv"));

    input->setText(song);

    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("Invalid source"));
    QCOMPARE(app->dialogs.messages[0].text,
             QStringLiteral("The source file you specified may not be supported.\r\rThe Microsoft Windows Media 8 "
                            "Encoder Utility only supports the following media types:\r  .avi\r  .wav (16-bit only)\r"
                            "  .asf (only version 1, uncompressed)\r  .wma (only uncompressed)\r  .wmv (only "
                            "uncompressed)\r\rSpecifically, MP3 files are NOT supported."));
    QCOMPARE(app->dialogs.messages[0].icon, MessageIcon::Error);
    QCOMPARE(output->text(), QStringLiteral("/keep/this.wmv"));
    QCOMPARE(app->row(1), u'"' + song + u'"');
    QCOMPARE(app->media->calls, QStringList{QStringLiteral("Load ") + song});
}

void SourceTest::sourceFolderProposesAnOutputFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("folder") << "/Clips" << "/encoded/Clips";
    QTest::newRow("trailing slash") << "/Clips/" << "/Clips/encoded/";
}

void SourceTest::sourceFolderProposesAnOutputFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, proposed);
    QVERIFY(QDir().mkpath(media + QStringLiteral("/Clips")));

    input->setText(media + folder);

    QCOMPARE(output->text(), media + proposed);
    QCOMPARE(buttons(*app), QStringLiteral("1110"));
    QCOMPARE(app->row(1), u'"' + media + folder + u'"');
    QCOMPARE(app->row(2), u'"' + media + proposed + u'"');
    QVERIFY(app->media->calls.isEmpty());
    QCOMPARE(textColour(input), QApplication::palette().color(QPalette::Text));
}

void SourceTest::shortFolderTextChangesOnlyColourAndRow()
{
    const QString clip = media + QStringLiteral("/clip.avi");
    touch(clip);
    app->media->files.insert(clip, MediaFacts{});
    input->setText(clip);
    input->setText(QStringLiteral("/x"));
    QCOMPARE(textColour(input), Red);
    input->setText(QStringLiteral("/"));

    QCOMPARE(textColour(input), QApplication::palette().color(QPalette::Text));
    QCOMPARE(output->text(), media + QStringLiteral("/clip.wmv"));
    QCOMPARE(buttons(*app), QStringLiteral("1111"));
    QCOMPARE(app->row(1), QStringLiteral("\"/\""));
}

void SourceTest::missingSourceAndEmptiedBox()
{
    const QString clip = media + QStringLiteral("/clip.avi");
    touch(clip);
    app->media->files.insert(clip, MediaFacts{});
    input->setText(clip);
    const QString missing = media + QStringLiteral("/gone.avi");
    input->setText(missing);
    QCOMPARE(textColour(input), Red);
    QCOMPARE(app->row(1), u'"' + missing + u'"');
    QCOMPARE(buttons(*app), QStringLiteral("1111"));
    QCOMPARE(app->media->calls, (QStringList{QStringLiteral("Load ") + clip, QStringLiteral("Unload")}));
    QCOMPARE(Form4->Player()->FileName(), QString());

    input->setFocus();
    input->selectAll();
    QTest::keyClick(input, Qt::Key_Delete);
    QCOMPARE(app->row(1), QString());
    output->setFocus();
    QCOMPARE(input->text(), QStringLiteral("(No file selected)"));
    QCOMPARE(app->row(1), QString());
}

void SourceTest::placeholderComesAndGoesWithTheFocus()
{
    output->setFocus();
    QCOMPARE(output->text(), QString());
    QCOMPARE(app->row(2), QString());
    input->setFocus();
    QCOMPARE(output->text(), QStringLiteral("(No file selected)"));

    TypeText(input, QStringLiteral("/some/path"));
    output->setFocus();
    input->setFocus(Qt::OtherFocusReason);
    QCOMPARE(input->selectedText(), QStringLiteral("/some/path"));
}

void SourceTest::outputThatExistsIsRed()
{
    const QString existing = media + QStringLiteral("/old.wmv");
    touch(existing);
    output->setText(existing);
    QCOMPARE(textColour(output), Red);
    QCOMPARE(app->row(2), u'"' + existing + u'"');
    output->setText(media);
    QCOMPARE(textColour(output), QApplication::palette().color(QPalette::Text));
}

void SourceTest::oddPathsAreStoredExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks and quotes") << "a \"quoted\" clip.avi";
    QTest::newRow("non-ASCII letters") << QString::fromUtf8("Überspielung ñ 日本.wav");
    QTest::newRow("placeholder inside") << "(default) take.avi";
    QTest::newRow("wildcards") << "*?[x].wav";
    QTest::newRow("very long") << QString(4100, u'x');
}

void SourceTest::oddPathsAreStoredExactly()
{
    QFETCH(QString, name);
    const QString path = media + u'/' + name;
    input->setText(path);
    QCOMPARE(app->row(1), u'"' + path + u'"');
    QCOMPARE(textColour(input), Red);
}

void SourceTest::playerFailureStillStoresTheSource()
{
    const QString unreadable = media + QStringLiteral("/broken.avi");
    touch(unreadable);
    app->control<QCheckBox>(QStringLiteral("CheckBox2"))->setChecked(true);

    input->setFocus();
    input->selectAll();
    TypeText(input, unreadable);

    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("Quillmark"));
    QCOMPARE(app->dialogs.messages[0].text, QStringLiteral("Cannot open media file %1.").arg(unreadable));
    QCOMPARE(app->row(1), u'"' + unreadable + u'"');
    QCOMPARE(output->text(), media + QStringLiteral("/broken.wmv"));
    QVERIFY(!app->control<QWidget>(QStringLiteral("TrackBarSelStart"))->isEnabled());
}

void SourceTest::checkedSectionEnablesTrackBarsForAFile()
{
    const QString clip = media + QStringLiteral("/clip.avi");
    touch(clip);
    app->media->files.insert(clip, MediaFacts{30, 320, 240, 800000});
    app->control<QCheckBox>(QStringLiteral("CheckBox2"))->setChecked(true);
    input->setText(clip);
    QVERIFY(app->control<QWidget>(QStringLiteral("TrackBarSelStart"))->isEnabled());
    QVERIFY(app->control<QWidget>(QStringLiteral("TrackBarSelEnd"))->isEnabled());
}

// A source that the player cannot open, chosen in one step, leaves nothing that describes the file
// shown before: the player, the information, the section and the picture size forget it.
void SourceTest::failedOpenForgetsTheFileBefore_data()
{
    QTest::addColumn<bool>("browsed");
    QTest::newRow("pasted into the box") << false;
    QTest::newRow("chosen in the open dialog") << true;
}

void SourceTest::failedOpenForgetsTheFileBefore()
{
    QFETCH(bool, browsed);
    const QString clip = media + QStringLiteral("/clip.avi");
    touch(clip);
    app->media->files.insert(clip, MediaFacts{30, 320, 240, 800000});
    app->control<QCheckBox>(QStringLiteral("CheckBox2"))->setChecked(true);
    input->setText(clip);
    auto *memo = app->control<QPlainTextEdit>(QStringLiteral("Memo1"));
    QTRY_VERIFY(!memo->toPlainText().isEmpty());
    auto *width = app->control<TEdit>(QStringLiteral("EditWidth"));
    width->setFocus();
    output->setFocus();
    QCOMPARE(app->row(5), QStringLiteral("320"));
    QCOMPARE(app->row(15), QStringLiteral("0 30000"));

    const QString broken = media + QStringLiteral("/broken.avi");
    touch(broken);
    if (browsed) {
        app->dialogs.fileAnswers = {broken};
        Form1->SpeedButton3Click();
    } else {
        input->setFocus();
        input->selectAll();
        input->insert(broken);
    }

    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].text, QStringLiteral("Cannot open media file %1.").arg(broken));
    TMediaPlayer2 *player = Form4->Player();
    QCOMPARE(player->FileName(), QString());
    QCOMPARE(player->Duration(), 0.0);
    QCOMPARE(app->media->calls.last(), QStringLiteral("Unload"));
    QCOMPARE(memo->toPlainText(), QString());
    for (const char *name : {"TrackBarSelStart", "TrackBarSelEnd"})
        QCOMPARE(app->control<TTrackBar>(QString::fromLatin1(name))->maximum(), 0);
    for (const char *name : {"EditSelStart", "EditSelEnd", "EditWidth", "EditHeight"})
        QCOMPARE(app->control<TEdit>(QString::fromLatin1(name))->text(), QStringLiteral("(default)"));
    QCOMPARE(player->SelectionStart(), 0.0);
    QCOMPARE(player->SelectionEnd(), 0.0);
    QCOMPARE(app->row(1), u'"' + broken + u'"');
    QCOMPARE(app->row(5), QString());
    QCOMPARE(app->row(15), QStringLiteral("0 0"));
    QTest::qWait(20);
    QCOMPARE(memo->toPlainText(), QString());
}

void SourceTest::startUpFocusEntersTheSourceBox()
{
    QTRY_VERIFY(input->hasFocus());
    QCOMPARE(input->text(), QString());
    QCOMPARE(app->row(1), QString());
    TypeText(input, QStringLiteral("/abc"));
    QCOMPARE(input->text(), QStringLiteral("/abc"));
    QCOMPARE(textColour(input), Red);
    QCOMPARE(app->row(1), QStringLiteral("\"/abc\""));
}

// Alt and a menu's letter give the menu bar the keyboard for a while; that is no leaving of the box:
// it stays as the user left it, and leaving it later puts the placeholder back.
void SourceTest::menuByKeyboardLeavesTheSourceBoxEntered()
{
    QTRY_VERIFY(input->hasFocus());
    QTest::keyClick(input, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_O);
    QCOMPARE(app->dialogs.fileDialogs.size(), 1);
    QTRY_VERIFY(input->hasFocus());
    QCOMPARE(input->text(), QString());

    QTest::keyClick(input, Qt::Key_U, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTest::keyClick(app->control<QMenuBar>(QStringLiteral("MainMenu1")), Qt::Key_Escape);
    QTRY_VERIFY(input->hasFocus());
    QCOMPARE(input->text(), QString());

    QTest::keyClick(input, Qt::Key_Tab);
    QCOMPARE(input->text(), QStringLiteral("(No file selected)"));
    QCOMPARE(app->row(1), QString());
}

// Paths typed relative to the folder the program was started in are stored absolute, so that the
// utility, which runs in the program's folder, finds them.
void SourceTest::relativePathsAreStoredAbsolute()
{
    const QString started = QDir::currentPath();
    QVERIFY(QDir::setCurrent(media));
    touch(media + QStringLiteral("/my clip.avi"));
    app->media->files.insert(QStringLiteral("my clip.avi"), MediaFacts{});
    QVERIFY(QDir().mkpath(QStringLiteral("Clips")));

    input->setText(QStringLiteral("Clips"));
    QCOMPARE(output->text(), media + QStringLiteral("/encoded/Clips"));
    QCOMPARE(app->row(1), u'"' + media + QStringLiteral("/Clips\""));

    input->setText(QStringLiteral("my clip.avi"));
    QCOMPARE(output->text(), QStringLiteral("my clip.wmv"));
    output->setText(QStringLiteral("../out/./mine.wmv"));
    Form1->EncodeButtonClick();
    QVERIFY(QDir::setCurrent(started));

    QCOMPARE(app->appFile(QStringLiteral("tmpconfig.weu")),
             (u"-input \""_s + media + u"/my clip.avi\"\r\n-output \""_s + app->appDir + u"/out/mine.wmv\"\r\n"_s).toUtf8());
}

void SourceTest::browseCommands()
{
    const QString clip = media + QStringLiteral("/clip.avi");
    touch(clip);
    app->media->files.insert(clip, MediaFacts{});
    app->dialogs.fileAnswers = {clip, QString(), media + QStringLiteral("/out.wmv")};
    app->dialogs.folderAnswers = {media, QString(), QStringLiteral("/target")};

    QTest::mouseClick(app->control<QToolButton>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
    QCOMPARE(input->text(), clip);
    QCOMPARE(app->dialogs.fileDialogs[0].title, QStringLiteral("Open input file"));
    QCOMPARE(app->dialogs.fileDialogs[0].filters,
             (QStringList{u"Supported media (*.AVI;*.WAV)|*.AVI;*.WAV"_s, u"Audio (*.WAV)|*.WAV"_s, u"Video (*.AVI)|*.AVI"_s,
                          u"All files|*.*"_s}));
    QCOMPARE(app->dialogs.fileDialogs[0].filterIndex, 1);
    QVERIFY(app->dialogs.fileDialogs[0].mustExist);

    QTest::mouseClick(app->control<QToolButton>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    QCOMPARE(input->text(), media);
    QCOMPARE(app->dialogs.folderPrompts.last(), QStringLiteral("Browse for source folder..."));

    Form1->SpeedButton3Click();   // cancelled
    Form1->SpeedButton1Click();   // cancelled
    QCOMPARE(input->text(), media);

    Form1->SpeedButton4Click();
    QCOMPARE(output->text(), media + QStringLiteral("/out.wmv"));
    const FileDialogSpec save = app->dialogs.fileDialogs.last();
    QCOMPARE(save.title, QStringLiteral("Output filename"));
    QCOMPARE(save.filters, (QStringList{u"Windows Media Audio (*.WMA)|*.wma"_s, u"Windows Media Video (*.WMV)|*.wmv"_s,
                                        u"All files|*.*"_s}));
    QVERIFY(save.confirmOverwrite);

    QTest::mouseClick(app->control<QToolButton>(QStringLiteral("SpeedButton2")), Qt::LeftButton);
    QCOMPARE(output->text(), QStringLiteral("/target"));
    QCOMPARE(app->dialogs.folderPrompts.last(), QStringLiteral("Browse for output folder..."));
    QCOMPARE(app->row(2), QStringLiteral("\"/target\""));
}

void SourceTest::saveDialogPreselectsTheFilterOfTheSource_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("filter");
    QTest::newRow("wav") << "/m/a.wav" << 1;
    QTest::newRow("WAV") << "/m/a.WAV" << 1;
    QTest::newRow("avi") << "/m/a.avi" << 2;
    QTest::newRow("empty") << "" << 2;
    QTest::newRow("placeholder") << "(No file selected)" << 2;
}

void SourceTest::saveDialogPreselectsTheFilterOfTheSource()
{
    QFETCH(QString, source);
    QFETCH(int, filter);
    input->setText(source);
    Form1->SpeedButton4Click();
    QCOMPARE(app->dialogs.fileDialogs.last().filterIndex, filter);
}

void SourceTest::folderBrowserStartsInTheSourceFolder_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("start");
    QTest::newRow("a file: its folder") << "Media/clip.avi" << "Media";
    QTest::newRow("a folder: that folder") << "Media" << "Media";
    QTest::newRow("a missing file: the folder that would hold it") << "Media/gone.avi" << "Media";
    QTest::newRow("nothing: home") << "" << "~";
    QTest::newRow("the placeholder: home") << "(No file selected)" << "~";
    QTest::newRow("a missing folder: home") << "Gone/clip.avi" << "~";
}

void SourceTest::folderBrowserStartsInTheSourceFolder()
{
    QFETCH(QString, source);
    QFETCH(QString, start);
    touch(media + QStringLiteral("/clip.avi"));
    app->media->files.insert(media + QStringLiteral("/clip.avi"), MediaFacts{});
    input->setText(source.isEmpty() || source.startsWith(u'(') ? source : app->appPath(source));
    const QString expected = start == QLatin1String("~") ? QDir::homePath() : app->appPath(start);

    Form1->SpeedButton1Click();
    Form1->SpeedButton2Click();
    QCOMPARE(app->dialogs.folderStarts, (QStringList{expected, expected}));
}

// The real dialog: its filter list reads as the program writes it, and each filter shows the files of
// its types whatever the letter case of their names.
void SourceTest::fileDialogsShowTheFiltersAsWrittenAndMatchAnyCase_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QStringList>("shownFilters");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("open") << false
                          << QStringList{u"Supported media (*.AVI;*.WAV)"_s, u"Audio (*.WAV)"_s, u"Video (*.AVI)"_s, u"All files"_s}
                          << QStringList{u"a.avi"_s, u"B.AVI"_s, u"c.Wav"_s, u"d.WAV"_s};
    QTest::newRow("save") << true
                          << QStringList{u"Windows Media Audio (*.WMA)"_s, u"Windows Media Video (*.WMV)"_s, u"All files"_s}
                          << QStringList{u"e.wmv"_s, u"F.WMV"_s};
}

void SourceTest::fileDialogsShowTheFiltersAsWrittenAndMatchAnyCase()
{
    QFETCH(bool, save);
    QFETCH(QStringList, shownFilters);
    QFETCH(QStringList, listed);
    for (const char *name : {"a.avi", "B.AVI", "c.Wav", "d.WAV", "e.wmv", "F.WMV", "g.mp3", "h.avi.txt"})
        touch(media + u'/' + QString::fromLatin1(name));
    app->dialogs.fileAnswers = {QString()};
    if (save)
        Form1->SpeedButton4Click();
    else
        Form1->SpeedButton3Click();

    QFileDialog dialog;
    SetUpFileDialog(dialog, app->dialogs.fileDialogs.last(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setDirectory(media);
    dialog.show();
    auto *filters = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QStringList shown;
    for (int row = 0; row < filters->count(); ++row)
        shown.append(filters->itemText(row));
    QCOMPARE(shown, shownFilters);
    QCOMPARE(filters->currentIndex(), save ? 1 : 0);

    auto *files = dialog.findChild<QListView *>(QStringLiteral("listView"));
    const auto names = [&] {
        QStringList seen;
        for (int row = 0; row < files->model()->rowCount(files->rootIndex()); ++row) {
            const QModelIndex index = files->model()->index(row, 0, files->rootIndex());
            if (!files->isRowHidden(row))
                seen.append(index.data().toString());
        }
        seen.sort(Qt::CaseInsensitive);
        return seen;
    };
    QTRY_COMPARE(names(), listed);
}

void SourceTest::menuCommandsActWhileButtonsAreDisabled()
{
    input->setText(media);
    QVERIFY(!app->control<QToolButton>(QStringLiteral("SpeedButton4"))->isEnabled());
    app->dialogs.fileAnswers = {media + QStringLiteral("/chosen.wmv")};
    Form1->SelectOutput1Click();
    QCOMPARE(output->text(), media + QStringLiteral("/chosen.wmv"));

    app->control<QToolButton>(QStringLiteral("SpeedButton3"))->setEnabled(false);
    Form1->Open1Click();
    QCOMPARE(app->dialogs.fileDialogs.size(), 2);
}

void SourceTest::encodeWritesTheChosenPaths()
{
    const QString clip = media + QStringLiteral("/my clip.avi");
    touch(clip);
    app->media->files.insert(clip, MediaFacts{});
    input->setText(clip);
    Form1->EncodeButtonClick();
    QCOMPARE(app->appFile(QStringLiteral("tmpconfig.weu")),
             (u"-input \""_s + clip + u"\"\r\n-output \""_s + media + u"/my clip.wmv\"\r\n"_s).toUtf8());

    QFile::remove(clip);
    Form1->EncodeButtonClick();
    QCOMPARE(app->dialogs.messages.last().title, QStringLiteral("File not found"));
    QCOMPARE(app->shell.calls.size(), 1);
}

// A drag from a file manager, dropped onto a box, the window or the docked preview: what the boxes
// show, what the cursor said, and what ENCODE writes. The source box starts at clip.avi.
void SourceTest::droppedFilesNameTheSourceOrOutput_data()
{
    QTest::addColumn<QString>("onto");
    QTest::addColumn<QByteArray>("uriList");     // empty: the drag holds text alone
    QTest::addColumn<QByteArray>("sourceName");      // the names the boxes show after the drop, in the media folder
    QTest::addColumn<QByteArray>("outputName");
    QTest::addColumn<int>("dropped");            // how many names the drop held, for the message

    const QByteArray oddName = "my clip 100% #1 caf\xe9.avi";
    struct Drag {
        const char *what;
        QByteArray uriList;
        QByteArray first;      // empty when refused
        QByteArray proposed;   // the output proposed for it as a source
        int count;
    };
    const QList<Drag> drags = {
        {"one file", "file://MEDIA/b.wav\r\n", "b.wav", "b.wma", 1},
        {"one folder", "file://MEDIA/Clips\r\n", "Clips", "encoded/Clips", 1},
        {"several files", "file://MEDIA/b.wav\r\nfile://MEDIA/clip.avi\r\nfile://MEDIA/Clips\r\n", "b.wav", "b.wma", 3},
        {"blanks, percent, hash and a byte that is not UTF-8", "file://MEDIA/my%20clip%20100%25%20%231%20caf%E9.avi",
         oddName, "my clip 100% #1 caf\xe9.wmv", 1},
        {"a web address", "https://example.org/b.wav\r\n", "", "", 1},
        {"plain text", "", "", "", 1},
    };
    for (const char *onto : {"EditInput", "EditOutput", "Form1", "Form4"}) {
        const bool ontoOutput = QByteArray(onto) == "EditOutput";
        for (const Drag &drag : drags) {
            const bool taken = !drag.first.isEmpty();
            QTest::addRow("%s onto %s", drag.what, onto)
                << QString::fromLatin1(onto) << drag.uriList << (taken && !ontoOutput ? drag.first : "clip.avi")
                << (!taken ? QByteArray("clip.wmv") : ontoOutput ? drag.first : drag.proposed) << drag.count;
        }
    }
}

void SourceTest::droppedFilesNameTheSourceOrOutput()
{
    QFETCH(QString, onto);
    QFETCH(QByteArray, uriList);
    QFETCH(QByteArray, sourceName);
    QFETCH(QByteArray, outputName);
    QFETCH(int, dropped);
    const QByteArray folder = NativePath(media);
    const QString oddPath = PathFromNative(folder + "/my clip 100% #1 caf\xe9.avi");
    std::ofstream(NativePath(oddPath).constData()).put('x');
    const auto removeOdd = qScopeGuard([&] { std::filesystem::remove(NativePath(oddPath).toStdString()); });
    for (const char *name : {"clip.avi", "b.wav"})
        app->addMedia(QStringLiteral("Media/") + QLatin1String(name));
    app->media->files.insert(oddPath, MediaFacts{});
    QVERIFY(QDir().mkpath(media + QStringLiteral("/Clips")));
    input->setText(media + QStringLiteral("/clip.avi"));

    QMimeData data;
    if (uriList.isEmpty())
        data.setText(media + QStringLiteral("/b.wav"));
    else
        data.setData(QStringLiteral("text/uri-list"), QByteArray(uriList).replace("MEDIA", folder.toPercentEncoding("/")));
    auto *target = app->control<QWidget>(onto);
    const QPoint at = target->rect().center();
    // The file manager offers to copy, move or link, and proposes a move (Shift held).
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(enter.proposedAction(), Qt::MoveAction);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();

    const bool taken = sourceName != "clip.avi" || outputName != "clip.wmv";
    for (const QDropEvent *event : std::initializer_list<const QDropEvent *>{&enter, &move, &drop}) {
        QCOMPARE(event->isAccepted(), taken);
        if (taken)
            QCOMPARE(event->dropAction(), Qt::CopyAction);
    }
    QCOMPARE(NativePath(input->text()), folder + '/' + sourceName);
    QCOMPARE(NativePath(output->text()), folder + '/' + outputName);
    if (dropped > 1) {
        QCOMPARE(app->dialogs.messages.size(), 1);
        QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("Several files dropped"));
        QCOMPARE(app->dialogs.messages[0].text,
                 onto == QLatin1String("EditOutput")
                     ? u"The output is one file or folder: the first of the 3 dropped is taken."_s
                     : u"The source is one file or folder: the first of the 3 dropped is taken.\r\rTo encode several "
                       "files in one go, put them in a folder of their own and drop that folder."_s);
        QCOMPARE(app->dialogs.messages[0].icon, MessageIcon::Information);
    } else {
        QCOMPARE(app->dialogs.messages.size(), 0);
    }
    Form1->EncodeButtonClick();
    QCOMPARE(app->appFile(QStringLiteral("tmpconfig.weu")),
             "-input \"" + folder + '/' + sourceName + "\"\r\n-output \"" + folder + '/' + outputName + "\"\r\n");
}

QUILLMARK_TEST_MAIN(SourceTest)
#include "test_source.moc"
