// The parameter table, StoreParam, the configuration file, the launch script, start-up and ENCODE.
#include "TestApp.h"
#include "TestMain.h"
#include "Unprivileged.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ParamTable.h"
#include "params/gui/StoreParam.h"
#include "params/gui/Unit3.h"
#include "platform/NativeFiles.h"
#include "platform/gui/Controls.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

const char *const ExpectedLaunchScript =
    "@echo off\r\n"
    "echo.\r\n"
    "echo MICROSOFT Windows Media 8 Encoder\r\n"
    "echo =================================\r\n"
    "echo.\r\n"
    "IF NOT EXIST \"WM8EUTIL.EXE\" GOTO secondpath\r\n"
    "set tmpwmepath=.\r\n"
    "GOTO checkconfig\r\n"
    "\r\n"
    ":secondpath\r\n"
    "IF NOT EXIST \"%ProgramFiles%\\Windows Media Components\\Tools\\WM8EUTIL.EXE\" GOTO encodernotfound\r\n"
    "set tmpwmepath=%ProgramFiles%\\Windows Media Components\\Tools\r\n"
    "GOTO checkconfig\r\n"
    "\r\n"
    ":checkconfig\r\n"
    "set tmpconfigpath=%1!\r\n"
    "IF %tmpconfigpath%==! GOTO noconfig\r\n"
    "IF EXIST %1 GOTO launchencoder\r\n"
    "GOTO confignotfound\r\n"
    "\r\n"
    ":noconfig\r\n"
    "echo This batch file is only for the use of the GUI.\r\n"
    "echo.\r\n"
    "echo To launch the GUI, run Quillmark.\r\n"
    "GOTO end\r\n"
    "\r\n"
    ":confignotfound\r\n"
    "echo Could not find the specified configuration file.\r\n"
    "GOTO end\r\n"
    "\r\n"
    ":launchencoder\r\n"
    "\"%tmpwmepath%\\WM8EUTIL\" -config %1\r\n"
    "GOTO end\r\n"
    "\r\n"
    ":encodernotfound\r\n"
    "echo Could not locate the WM8EUTIL.EXE file!\r\n"
    "echo.\r\n"
    "echo Make sure you haved installed the Microsoft Windows Media 8 Encoder.\r\n"
    "echo Try puting the GUI files in the same directory as the WM8EUTIL.EXE file.\r\n"
    "GOTO end\r\n"
    "\r\n"
    ":end\r\n"
    "set tmpwmepath=\r\n"
    "set tmpconfigpath=\r\n"
    "echo.\r\n"
    "pause\r\n";

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A folder the program cannot write into, even when the tests run as root: its files' names are
// taken by folders.
void blockWrites(const QString &folder, const QStringList &names)
{
    for (const QString &name : names)
        QVERIFY(QDir(folder).mkpath(name));
}

// A program folder the user cannot write into, holding the utility, as a system-wide install is.
class InstalledFolder {
public:
    InstalledFolder()
    {
        writeFile(path() + QStringLiteral("/WM8EUTIL.EXE"), "");
        setWritable(false);
    }
    ~InstalledFolder() { setWritable(true); }

    QString path() const { return dir_.path(); }

private:
    void setWritable(bool writable) const
    {
        const auto readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                            | QFile::ExeOther;
        QFile::setPermissions(path(), writable ? readable | QFile::WriteOwner : readable);
    }
    QTemporaryDir dir_;
};

// Sets an environment variable for the length of a test, or unsets it for a null value.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char *name, const QByteArray &value) : name_(name), saved_(qgetenv(name))
    {
        set(value);
    }
    ~EnvironmentVariable() { set(saved_); }

private:
    void set(const QByteArray &value) const
    {
        if (value.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, value);
    }
    const char *name_;
    QByteArray saved_;
};

} // namespace

class LaunchTest : public QObject {
    Q_OBJECT

private slots:
    void storeParamEditBox_data();
    void storeParamEditBox();
    void storeParamTrackBarAndList();
    void storeParamOtherControlIsRefused();

    void startShowsTheEmptyTable();
    void startWritesTheLaunchScriptWhenMissing();
    void startKeepsAnExistingLaunchScript();
    void startWithoutTheUtilityEnds();
    void startFindsTheUtility_data();
    void startFindsTheUtility();
    void startInAReadOnlyFolderGoesOn();
    void unwritableProgramFolderKeepsLaunchFilesInTheDataFolder_data();
    void unwritableProgramFolderKeepsLaunchFilesInTheDataFolder();
    void unwritableProgramAndDataFoldersAreReported();

    void encodeWritesFilledRowsInRowOrder();
    void encodeWritesAnEmptyFileForAnEmptyTable();
    void encodeNeedsAnExistingSource();
    void encodeAcceptsASourceFolder();
    void encodeInAReadOnlyFolderStartsNothing();
    void encodeWritesWhatTheBuilderGridHolds();

    void moreOptionsOpensAndCloses();
    void exitEndsWithoutTheCloseHandler();
    void closingReleasesThePlayer();
};

void LaunchTest::storeParamEditBox_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("explicitValue");
    QTest::addColumn<QString>("stored");

    QTest::newRow("placeholder default") << 5 << "(default)" << "" << "";
    QTest::newRow("placeholder no file") << 1 << "(No file selected)" << "" << "";
    QTest::newRow("placeholder with a leading blank") << 5 << " (default)" << "" << " (default)";
    QTest::newRow("placeholder with a capital D") << 5 << "(Default)" << "" << "(Default)";
    QTest::newRow("explicit placeholders in any case") << 5 << "ignored" << "a(default)b(DEFAULT)c" << "a?b?c";
    QTest::newRow("explicit ! clears") << 5 << "320" << "!" << "";
    QTest::newRow("explicit !! is a value") << 5 << "320" << "!!" << "!!";
    QTest::newRow("explicit blank ! is a value") << 5 << "320" << " !" << " !";
    QTest::newRow("title is quoted") << 19 << "Holiday 2002" << "" << "\"Holiday 2002\"";
    QTest::newRow("rating is quoted") << 23 << "PG" << "" << "\"PG\"";
    QTest::newRow("appendage is not quoted") << 16 << "Holiday 2002" << "" << "Holiday 2002";
    QTest::newRow("empty title clears") << 19 << "" << "" << "";
    QTest::newRow("quote inside a title is kept") << 19 << "a\"b" << "" << "\"a\"b\"";
    QTest::newRow("explicit title is not quoted") << 19 << "x" << "Holiday" << "Holiday";
}

void LaunchTest::storeParamEditBox()
{
    QFETCH(int, tag);
    QFETCH(QString, text);
    QFETCH(QString, explicitValue);
    QFETCH(QString, stored);

    TestApp app;
    app.setRow(tag, QStringLiteral("earlier"));
    TEdit edit;
    edit.setProperty("Tag", tag);
    edit.setText(text);
    QVERIFY(StoreParam(&edit, explicitValue));
    QCOMPARE(app.row(tag), stored);

    ParamTable table;
    QVERIFY(StoreParam(table, &edit, explicitValue));
    QCOMPARE(table.Value(tag), stored);
}

void LaunchTest::storeParamTrackBarAndList()
{
    TestApp app;
    auto *quality = app.control<TTrackBar>(QStringLiteral("TrackBarQuality"));
    quality->setValue(0);
    QVERIFY(StoreParam(quality, QStringLiteral("ignored")));
    QCOMPARE(app.row(11), QStringLiteral("0"));
    quality->setValue(-1);
    QVERIFY(StoreParam(quality, QString()));
    QCOMPARE(app.row(11), QString());

    auto *presets = app.control<TComboBox>(QStringLiteral("ComboBoxPresets"));
    QVERIFY(StoreParam(presets, QStringLiteral("!")));
    QCOMPARE(app.row(17), QStringLiteral("!"));
    QVERIFY(StoreParam(presets, QStringLiteral("(default)")));
    QCOMPARE(app.row(17), QStringLiteral("(default)"));
    QVERIFY(StoreParam(presets, QString()));
    QCOMPARE(app.row(17), QString());
}

void LaunchTest::storeParamOtherControlIsRefused()
{
    TestApp app;
    app.setRow(13, QStringLiteral("1"));
    QCheckBox box;
    box.setProperty("Tag", 13);
    QVERIFY(!StoreParam(&box, QStringLiteral("2")));
    QCOMPARE(app.row(13), QStringLiteral("1"));
    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("Quillmark"));
    QCOMPARE(app.dialogs.messages[0].text, QStringLiteral("Unable to determine component so cannot extract value"));
    QCOMPARE(app.dialogs.messages[0].icon, MessageIcon::None);
}

void LaunchTest::startShowsTheEmptyTable()
{
    TestApp app;
    QVERIFY(app.dialogs.messages.isEmpty());
    QCOMPARE(Form1->windowTitle(), QStringLiteral("Quillmark v1.3"));
    QCOMPARE(Form1->centralWidget()->size(), QSize(657, 186));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmark"));

    auto *grid = app.control<QTableView>(QStringLiteral("SGP"));
    const QAbstractItemModel *model = grid->model();
    QCOMPARE(model->rowCount(), 23);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" Parameter"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral(" Value"));
    const QStringList names = {u"-input"_s, u"-output"_s, u"-a_setting"_s, u"-v_codec"_s, u"-v_width"_s, u"-v_height"_s,
                               u"-v_mode"_s, u"-v_framerate"_s, u"-v_keydist"_s, u"-v_bitrate"_s, u"-v_quality"_s,
                               u"-v_buffer"_s, u"-v_preproc"_s, u"-v_clip"_s, u"-time"_s, u"-outputstring"_s, u"-profile"_s,
                               u"-config"_s, u"-title"_s, u"-author"_s, u"-copyright"_s, u"-description"_s, u"-rating"_s};
    for (int row = 0; row < 23; ++row) {
        QCOMPARE(model->index(row, 0).data().toString(), names[row]);
        QCOMPARE(model->index(row, 1).data().toString(), QString());
        QVERIFY(!(model->flags(model->index(row, 0)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(row, 1)) & Qt::ItemIsEditable);
    }
    for (const char *list : {"ComboBoxPresets", "ComboBoxPreproc", "ComboBoxMode", "ComboBoxFramerate", "ComboBoxAudioBR"})
        QCOMPARE(app.control<TComboBox>(QString::fromLatin1(list))->currentIndex(), 0);
    QVERIFY(app.control<TTrackBar>(QStringLiteral("TrackBarQuality"))->toolTip().startsWith(u"Target video quality.\n\n"));
    QVERIFY(!app.control<QWidget>(QStringLiteral("Memo2"))->isVisible());
    QVERIFY(!app.control<QWidget>(QStringLiteral("PanelMore"))->isVisible());
}

void LaunchTest::startWritesTheLaunchScriptWhenMissing()
{
    TestApp app;
    QCOMPARE(app.appFile(QStringLiteral("launch.bat")), QByteArray(ExpectedLaunchScript));
}

void LaunchTest::startKeepsAnExistingLaunchScript()
{
    QTemporaryDir folder;
    writeFile(folder.filePath(QStringLiteral("launch.bat")), "echo edited by the user\n");
    TestApp app({}, folder.path());
    QCOMPARE(app.appFile(QStringLiteral("launch.bat")), QByteArray("echo edited by the user\n"));
}

void LaunchTest::startWithoutTheUtilityEnds()
{
    qputenv("ProgramFiles", QDir::tempPath().toLocal8Bit() + "/nothing-here");
    TestApp app({.utilityInAppDir = false});
    qunsetenv("ProgramFiles");

    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("Essential files not found!"));
    QCOMPARE(app.dialogs.messages[0].text,
             QStringLiteral("Unable to locate the Microsoft Windows Media 8 Encoder Utility (WM8EUTIL.EXE).\r\r"
                            "Make sure you have installed the Microsoft Windows Media 8 Encoder Utility available from:\r"
                            "the Quillmark package: reinstall Quillmark, or put WM8EUTIL.EXE in ") + app.appDir + u'.');
    QCOMPARE(app.dialogs.messages[0].icon, MessageIcon::Error);
    QCOMPARE(app.terminations, 1);
    QCOMPARE(app.appFile(QStringLiteral("launch.bat")), QByteArray(ExpectedLaunchScript));
}

void LaunchTest::startFindsTheUtility_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("name");
    QTest::newRow("program folder") << "app" << "WM8EUTIL.EXE";
    QTest::newRow("program folder, other letter case") << "app" << "wm8eutil.exe";
    QTest::newRow("under ProgramFiles") << "programfiles" << "WM8EUTIL.exe";
    QTest::newRow("under ProgramFiles, other letter case") << "programfiles" << "Wm8EUtil.EXE";
}

void LaunchTest::startFindsTheUtility()
{
    QFETCH(QString, where);
    QFETCH(QString, name);
    QTemporaryDir programFiles;
    QTemporaryDir appDir;
    const QString tools = programFiles.filePath(QStringLiteral("Windows Media Components/Tools"));
    QVERIFY(QDir().mkpath(tools));
    writeFile((where == QLatin1String("app") ? appDir.path() : tools) + u'/' + name, "");
    qputenv("ProgramFiles", programFiles.path().toLocal8Bit());

    TestApp app({.utilityInAppDir = false}, appDir.path());
    qunsetenv("ProgramFiles");

    QVERIFY(app.dialogs.messages.isEmpty());
    QCOMPARE(app.terminations, 0);
}

void LaunchTest::startInAReadOnlyFolderGoesOn()
{
    QTemporaryDir folder;
    blockWrites(folder.path(), {QStringLiteral("launch.bat")});
    TestApp app({}, folder.path());

    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("Quillmark"));
    QCOMPARE(app.dialogs.messages[0].text, QStringLiteral("Cannot create file %1/launch.bat.").arg(folder.path()));
    QCOMPARE(app.dialogs.messages[0].icon, MessageIcon::Error);
    QVERIFY(Form1->isVisible());
}

void LaunchTest::unwritableProgramFolderKeepsLaunchFilesInTheDataFolder_data()
{
    QTest::addColumn<QString>("dataHome");   // XDG_DATA_HOME, under the test's folder when relative there
    QTest::addColumn<QString>("expected");   // the launch files' folder under the test's folder
    QTest::newRow("XDG_DATA_HOME") << "/data" << "data/quillmark";
    QTest::newRow("XDG_DATA_HOME unset") << QString() << "home/.local/share/quillmark";
    QTest::newRow("XDG_DATA_HOME relative, so ignored") << "data" << "home/.local/share/quillmark";
}

void LaunchTest::unwritableProgramFolderKeepsLaunchFilesInTheDataFolder()
{
    if (const auto code = RerunUnprivileged()) {
        QCOMPARE(*code, 0);
        return;
    }
    QFETCH(QString, dataHome);
    QFETCH(QString, expected);
    QTemporaryDir base;
    const InstalledFolder program;
    const EnvironmentVariable home("HOME", base.filePath(QStringLiteral("home")).toLocal8Bit());
    const EnvironmentVariable xdg("XDG_DATA_HOME", dataHome.startsWith(u'/') ? (base.path() + dataHome).toLocal8Bit()
                                                                             : dataHome.toLocal8Bit());
    const QString folder = base.filePath(expected);

    TestApp app({.utilityInAppDir = false}, program.path());
    QVERIFY(app.dialogs.messages.isEmpty());
    QCOMPARE(app.terminations, 0);
    QFile script(folder + QStringLiteral("/launch.bat"));
    QVERIFY(script.open(QIODevice::ReadOnly));
    QCOMPARE(script.readAll(), QByteArray(ExpectedLaunchScript));

    const QString source = base.filePath(QStringLiteral("clip.avi"));
    writeFile(source, "");
    app.media->files.insert(source, {});
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(source);
    QTest::mouseClick(app.control<QPushButton>(QStringLiteral("EncodeButton")), Qt::LeftButton);

    QVERIFY(app.dialogs.messages.isEmpty());
    QFile config(folder + QStringLiteral("/tmpconfig.weu"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QVERIFY(config.readAll().startsWith(QByteArray("-input \"" + source.toUtf8() + "\"\r\n")));
    QCOMPARE(app.shell.calls.size(), 1);
    QCOMPARE(app.shell.calls[0].file, folder + QStringLiteral("/launch.bat"));
    QCOMPARE(app.shell.calls[0].parameters, u'"' + folder + QStringLiteral("/tmpconfig.weu\""));
    QCOMPARE(app.shell.calls[0].folder, program.path());
    QCOMPARE(QDir(program.path()).entryList(QDir::Files), QStringList{QStringLiteral("WM8EUTIL.EXE")});
}

void LaunchTest::unwritableProgramAndDataFoldersAreReported()
{
    if (const auto code = RerunUnprivileged()) {
        QCOMPARE(*code, 0);
        return;
    }
    QTemporaryDir base;
    const InstalledFolder program;
    const QString notAFolder = base.filePath(QStringLiteral("file"));
    writeFile(notAFolder, "");
    const EnvironmentVariable xdg("XDG_DATA_HOME", notAFolder.toLocal8Bit());

    TestApp app({.utilityInAppDir = false}, program.path());
    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages[0].text, QStringLiteral("Cannot create file %1/quillmark/launch.bat.").arg(notAFolder));
    QCOMPARE(app.terminations, 0);
}

void LaunchTest::encodeWritesFilledRowsInRowOrder()
{
    TestApp app;
    const QString source = app.addMedia(QStringLiteral("clip ä.avi"));
    app.setRow(19, QStringLiteral("\"Holiday\""));
    app.setRow(17, QStringLiteral("av100"));
    app.setRow(1, u'"' + source + u'"');
    app.setRow(12, QStringLiteral("  "));
    app.setRow(22, PathFromNative("two\r\nlines\nand\rmore caf\xe9"));
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(source);
    app.setRow(1, u'"' + source + u'"');
    app.setRow(2, QString());

    QTest::mouseClick(app.control<QPushButton>(QStringLiteral("EncodeButton")), Qt::LeftButton);

    const QByteArray expected = "-input \"" + source.toUtf8() + "\"\r\n"
                                "-v_buffer   \r\n"
                                "-profile av100\r\n"
                                "-title \"Holiday\"\r\n"
                                "-description two lines and more caf\xe9\r\n";
    QCOMPARE(app.appFile(QStringLiteral("tmpconfig.weu")), expected);
    QCOMPARE(app.shell.calls.size(), 1);
    QCOMPARE(app.shell.calls[0].file, app.appPath(QStringLiteral("launch.bat")));
    QCOMPARE(app.shell.calls[0].parameters, u'"' + app.appPath(QStringLiteral("tmpconfig.weu")) + u'"');
    QCOMPARE(app.shell.calls[0].folder, app.appDir);
    QCOMPARE(app.shell.calls[0].showMode, 1);
    QVERIFY(app.dialogs.messages.isEmpty());
}

void LaunchTest::encodeWritesAnEmptyFileForAnEmptyTable()
{
    TestApp app;
    writeFile(app.appPath(QStringLiteral("tmpconfig.weu")), "old contents");
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(app.addMedia(QStringLiteral("a.wav")));
    for (int row = 1; row <= 23; ++row)
        app.setRow(row, QString());
    Form1->EncodeButtonClick();
    QVERIFY(QFile::exists(app.appPath(QStringLiteral("tmpconfig.weu"))));
    QCOMPARE(app.appFile(QStringLiteral("tmpconfig.weu")), QByteArray());
    QCOMPARE(app.shell.calls.size(), 1);
}

void LaunchTest::encodeNeedsAnExistingSource()
{
    TestApp app;
    app.setRow(1, QStringLiteral("\"/no/such/file.avi\""));
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(QStringLiteral("/no/such/file.avi"));
    Form1->EncodeButtonClick();

    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("File not found"));
    QCOMPARE(app.dialogs.messages[0].text, QStringLiteral("The source file you specified does not exist."));
    QCOMPARE(app.dialogs.messages[0].icon, MessageIcon::Warning);
    QVERIFY(!QFile::exists(app.appPath(QStringLiteral("tmpconfig.weu"))));
    QVERIFY(app.shell.calls.isEmpty());
}

void LaunchTest::encodeAcceptsASourceFolder()
{
    TestApp app;
    app.setRow(1, u'"' + app.appDir + u'"');
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(app.appDir);
    Form1->EncodeButtonClick();
    QVERIFY(app.dialogs.messages.isEmpty());
    QCOMPARE(app.shell.calls.size(), 1);
    QVERIFY(app.appFile(QStringLiteral("tmpconfig.weu")).startsWith(QByteArray("-input \"" + app.appDir.toUtf8() + "\"\r\n")));
}

void LaunchTest::encodeInAReadOnlyFolderStartsNothing()
{
    TestApp app;
    blockWrites(app.appDir, {QStringLiteral("tmpconfig.weu")});
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(app.addMedia(QStringLiteral("a.wav")));
    QTest::mouseClick(app.control<QPushButton>(QStringLiteral("EncodeButton")), Qt::LeftButton);

    QCOMPARE(app.dialogs.messages.size(), 1);
    QCOMPARE(app.dialogs.messages[0].title, QStringLiteral("Quillmark"));
    QCOMPARE(app.dialogs.messages[0].text,
             QStringLiteral("Cannot create file %1.").arg(app.appPath(QStringLiteral("tmpconfig.weu"))));
    QVERIFY(app.shell.calls.isEmpty());
}

void LaunchTest::encodeWritesWhatTheBuilderGridHolds()
{
    TestApp app;
    auto *grid = app.control<QTableView>(QStringLiteral("SGP"));
    QVERIFY(grid->model()->setData(grid->model()->index(17, 1), QStringLiteral("(default)")));
    QVERIFY(!grid->model()->setData(grid->model()->index(17, 0), QStringLiteral("-other")));
    app.control<TEdit>(QStringLiteral("EditInput"))->setText(app.addMedia(QStringLiteral("a.wav")));
    Form1->EncodeButtonClick();
    QVERIFY(app.appFile(QStringLiteral("tmpconfig.weu")).endsWith("-config (default)\r\n"));
}

void LaunchTest::moreOptionsOpensAndCloses()
{
    TestApp app;
    auto *button = app.control<QPushButton>(QStringLiteral("ButtonMore"));
    auto *panel = app.control<QWidget>(QStringLiteral("PanelMore"));
    QCOMPARE(button->text(), QStringLiteral("More Options >>>"));

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("<<< Less Options"));
    QVERIFY(panel->isVisible());
    QCOMPARE(Form1->centralWidget()->height(), 489);

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("More Options >>>"));
    QVERIFY(!panel->isVisible());
    QCOMPARE(Form1->centralWidget()->height(), 186);
}

void LaunchTest::exitEndsWithoutTheCloseHandler()
{
    TestApp app;
    Form1->Exit1Click();
    QCOMPARE(app.terminations, 1);
    QVERIFY(Form4->Player());
}

void LaunchTest::closingReleasesThePlayer()
{
    TestApp app;
    QVERIFY(Form4->Player());
    Form1->close();
    QVERIFY(!Form4->Player());
}

QUILLMARK_TEST_MAIN(LaunchTest)
#include "test_launch.moc"
