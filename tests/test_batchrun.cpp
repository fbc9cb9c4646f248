// batchrun: the launch script as the program writes it, run by the real interpreter in every branch;
// the language, the argument splitting and the program search with a recording console and starter.
#include "TestApp.h"
#include "TestMain.h"

#include "batchrun/Console.h"
#include "batchrun/Expansion.h"
#include "batchrun/ProgramArguments.h"
#include "batchrun/ProgramStarter.h"
#include "batchrun/Runner.h"
#include "batchrun/WindowsPaths.h"
#include "platform/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString Banner = QStringLiteral("\nMICROSOFT Windows Media 8 Encoder\n=================================\n\n");
const QString PauseEnd = QStringLiteral("\nPress any key to continue . . . \n");

// A stand-in for the encoding utility: prints each argument it got in brackets, one a line, and ends
// with exit code 7.
const QByteArray StandInUtility = "#!/bin/sh\nfor argument in \"$@\"; do printf '[%s]\\n' \"$argument\"; done\nexit 7\n";

void writeFile(const QString &path, const QByteArray &bytes, QFile::Permissions permissions = {})
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (permissions)
        QVERIFY(file.setPermissions(file.permissions() | permissions));
}

void writeStandInUtility(const QString &path)
{
    writeFile(path, StandInUtility, QFile::ExeOwner);
}

struct Outcome {
    QString out;
    QString err;
    int exitCode = -1;
};

// The real interpreter on a batch file in folder, as the shell starts it, with ProgramFiles set to
// programFiles (unset when empty). childSetUp runs in the new process before the interpreter starts.
Outcome runBatchrun(const QString &folder, const QStringList &arguments, const QString &programFiles = {},
                    const std::function<void()> &childSetUp = {})
{
    QProcess process;
    if (childSetUp)
        process.setChildProcessModifier(childSetUp);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ProgramFiles"));
    if (!programFiles.isEmpty())
        environment.insert(QStringLiteral("ProgramFiles"), programFiles);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(qEnvironmentVariable("QUILLMARK_BIN_DIR") + QStringLiteral("/batchrun"),
                  QStringList{folder + QStringLiteral("/launch.bat")} + arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        qFatal("batchrun did not end");
    return {QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()),
            process.exitCode()};
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// Records what a script prints and how often it waits for a key.
class FakeConsole : public Console {
public:
    void Print(const QString &text) override { out += text; }
    void PrintError(const QString &text) override { err += text; }
    void WaitForKey() override { ++keys; }

    QString out;
    QString err;
    int keys = 0;
};

// Writes each program run into the console's output (its file name, then each argument in brackets)
// and gives exit code 5; a program whose name starts with "broken" cannot be started.
class FakeStarter : public ProgramStarter {
public:
    explicit FakeStarter(FakeConsole &console) : console_(console) {}

    int Run(const QString &program, const QStringList &arguments, const QString &, const QStringList &) override
    {
        const QString name = QFileInfo(program).fileName();
        if (name.startsWith(u"broken"))
            throw Failure(QStringLiteral("Exec format error"));
        console_.Print(name);
        for (const QString &argument : arguments)
            console_.Print(u'[' + argument + u']');
        console_.Print(QStringLiteral("\n"));
        return 5;
    }

private:
    FakeConsole &console_;
};

} // namespace

class BatchrunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void templateBranches_data();
    void templateBranches();
    void templateLineEnds_data();
    void templateLineEnds();
    void specialCharactersInPaths_data();
    void specialCharactersInPaths();

    void scripts_data();
    void scripts();
    void expansion_data();
    void expansion();
    void programArguments_data();
    void programArguments();
    void programSearch_data();
    void programSearch();
    void lineLimit_data();
    void lineLimit();
    void scriptFilesAreReadWithinBounds_data();
    void scriptFilesAreReadWithinBounds();

private:
    // A fresh program folder holding the launch script the program wrote.
    QString programFolder(const QString &name, const QByteArray &script);

    QByteArray launchScript_;
    QTemporaryDir scratch_;
    QTemporaryDir files_;   // programs and folders the language tests find
};

void BatchrunTest::initTestCase()
{
    {
        TestApp app;
        launchScript_ = app.appFile(QStringLiteral("launch.bat"));
    }
    QVERIFY(launchScript_.endsWith("pause\r\n"));

    for (const char *name : {"TOOL.EXE", "both.com", "both.exe", "broken.exe", "plain", "sub/Deep Folder/prog.exe",
                             "path/pathtool.exe"})
        writeFile(files_.filePath(QString::fromLatin1(name)), "");
    QVERIFY(QDir(files_.path()).mkpath(QStringLiteral("folder.exe")));
    writeFile(files_.filePath(QStringLiteral("other.bat")), "@echo off\r\necho in other %1 %~2\r\n");
}

QString BatchrunTest::programFolder(const QString &name, const QByteArray &script)
{
    const QString folder = scratch_.filePath(name);
    writeFile(folder + QStringLiteral("/launch.bat"), script);
    return folder;
}

void BatchrunTest::templateBranches_data()
{
    QTest::addColumn<QString>("utility");   // where the utility lies: "", "." or "ProgramFiles"
    QTest::addColumn<QString>("argument");  // "" none, "missing" or "config"
    QTest::addColumn<QString>("expected");  // between the banner and the pause; <config> is the path
    QTest::addColumn<QString>("errors");
    QTest::addColumn<int>("exitCode");

    const QString usage = QStringLiteral("This batch file is only for the use of the GUI.\n\nTo launch the GUI, run Quillmark.\n");
    QTest::newRow("no argument") << "." << "" << usage << "" << 0;
    QTest::newRow("no argument, no utility")
        << "" << ""
        << "Could not locate the WM8EUTIL.EXE file!\n\nMake sure you haved installed the Microsoft Windows Media 8 "
           "Encoder.\nTry puting the GUI files in the same directory as the WM8EUTIL.EXE file.\n"
        << "" << 0;
    QTest::newRow("configuration file missing") << "." << "missing" << "Could not find the specified configuration file.\n"
                                                << "" << 0;
    QTest::newRow("utility in the working folder") << "." << "config" << "[-config]\n[<config>]\n" << "" << 7;
    QTest::newRow("utility only under ProgramFiles") << "ProgramFiles" << "config" << "[-config]\n[<config>]\n" << ""
                                                     << 7;
    QTest::newRow("utility that cannot be started")
        << "not executable" << "config" << ""
        << "launch.bat:32: '\".\\WM8EUTIL\"' could not be started: Permission denied\n" << 255;
}

void BatchrunTest::templateBranches()
{
    QFETCH(QString, utility);
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    QFETCH(QString, errors);
    QFETCH(int, exitCode);

    const QString folder = programFolder(QString::fromLatin1(QTest::currentDataTag()), launchScript_);
    const QString programFiles = folder + QStringLiteral(" Program Files");
    const QString config = folder + QStringLiteral("/tmpconfig.weu");
    writeFile(config, "-input \"/media/clip.avi\"\r\n");
    if (utility == u".")
        writeStandInUtility(folder + QStringLiteral("/WM8EUTIL.EXE"));
    else if (utility == u"ProgramFiles")
        writeStandInUtility(programFiles + QStringLiteral("/windows media COMPONENTS/TOOLS/wm8eutil.exe"));
    else if (utility == u"not executable")
        writeFile(folder + QStringLiteral("/WM8EUTIL.EXE"), "");
    const QStringList arguments = argument.isEmpty()           ? QStringList()
                                  : argument == u"missing"     ? QStringList{quoted(folder + QStringLiteral("/none.weu"))}
                                                               : QStringList{quoted(config)};

    const Outcome outcome = runBatchrun(folder, arguments, programFiles);
    QCOMPARE(outcome.err, QString(errors).replace(QStringLiteral("launch.bat"), folder + QStringLiteral("/launch.bat")));
    QCOMPARE(outcome.out, Banner + QString(expected).replace(QStringLiteral("<config>"), config) + PauseEnd);
    QCOMPARE(outcome.exitCode, exitCode);
}

void BatchrunTest::templateLineEnds_data()
{
    QTest::addColumn<QByteArray>("script");
    QByteArray lf = launchScript_;
    lf.replace("\r\n", "\n");
    QTest::newRow("CR LF, as written") << launchScript_;
    QTest::newRow("LF") << lf;
    QTest::newRow("CR LF, no final line end") << launchScript_.chopped(2);
    QTest::newRow("LF, no final line end") << lf.chopped(1);
}

void BatchrunTest::templateLineEnds()
{
    QFETCH(QByteArray, script);
    const QString folder = programFolder(QString::fromLatin1(QTest::currentDataTag()), script);
    const QString config = folder + QStringLiteral("/tmpconfig.weu");
    writeFile(config, "");
    writeStandInUtility(folder + QStringLiteral("/WM8EUTIL.EXE"));

    const Outcome outcome = runBatchrun(folder, {quoted(config)});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.out, Banner + QStringLiteral("[-config]\n[%1]\n").arg(config) + PauseEnd);
}

void BatchrunTest::specialCharactersInPaths_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QString>("programFiles");
    QTest::newRow("blanks") << "My Programs/Quill mark" << "";
    QTest::newRow("ampersand and parentheses") << "Tools & More (x86)" << "";
    QTest::newRow("exclamation and percent signs") << "Wow! 100% %PATH% %1 ^" << "";
    QTest::newRow("non-ASCII letters") << QStringLiteral("Encodeur vidéo – Ünïcødé") << "";
    QTest::newRow("quotes") << "say \"hi\" there" << "";
    QTest::newRow("all together") << QStringLiteral("a \"b\" & (c)! 50% ü") << "";
    QTest::newRow("ProgramFiles with blanks, parentheses, ! and %")
        << "plain" << QStringLiteral("Program Files (x86) 100%! é");
}

// The configuration path reaches the utility as one argument, exactly; the script's own search works in
// a ProgramFiles folder with such a name too.
void BatchrunTest::specialCharactersInPaths()
{
    QFETCH(QString, folderName);
    QFETCH(QString, programFiles);

    const QString folder = programFolder(QString::fromLatin1(QTest::currentDataTag()) + u'/' + folderName, launchScript_);
    const QString config = folder + QStringLiteral("/tmpconfig.weu");
    writeFile(config, "");
    const QString programFilesFolder = programFiles.isEmpty() ? QString() : scratch_.filePath(programFiles);
    writeStandInUtility((programFiles.isEmpty() ? folder : programFilesFolder + QStringLiteral("/Windows Media Components/Tools")) +
                        QStringLiteral("/WM8EUTIL.EXE"));

    const Outcome outcome = runBatchrun(folder, {quoted(config)}, programFilesFolder);
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.out, Banner + QStringLiteral("[-config]\n[%1]\n").arg(config) + PauseEnd);
    QCOMPARE(outcome.exitCode, 7);
}

void BatchrunTest::scripts_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");   // <folder> is the current folder
    QTest::addColumn<QString>("err");   // reports name the script "test.bat"
    QTest::addColumn<int>("exitCode");
    const QStringList none;

    QTest::newRow("echo keeps the blanks after the first")
        << "@echo off\necho   two  words  \necho.\necho:colon\necho.   on\nECHO\n" << none
        << "  two  words  \n\ncolon\n   on\nECHO is off.\n" << "" << 0;
    QTest::newRow("echo on shows each command after the prompt, @ hides it")
        << "echo hi\n  @echo quiet\n\n:label\nrem note\necho off\necho\n" << none
        << "\n<folder>>echo hi\nhi\nquiet\n\n<folder>>rem note\n\n<folder>>echo off\nECHO is off.\n" << "" << 0;
    QTest::newRow("rem and :: ignore the rest of the line")
        << "@echo off\nrem a & b | c > d\n:: x & y\necho done" << none << "done\n" << "" << 0;
    QTest::newRow("set and clear; names in any letter case; values kept exactly")
        << "@echo off\nset Name=a \"b\" \nECHO [%NAME%]\nset name=\necho [%Name%]\nset \"q=1 2\" ignored\necho [%q%]\n"
        << none << "[a \"b\" ]\n[]\n[1 2]\n" << "" << 0;
    QTest::newRow("arguments keep their quotes; %~1 drops them")
        << "@echo off\necho [%1] [%~1] [%2] [%3] [%*] [%0]\n" << QStringList{u"\"a b\""_s, u"c"_s}
        << "[\"a b\"] [a b] [c] [] [\"a b\" c] [test.bat]\n" << "" << 0;
    QTest::newRow("quotes inside a quoted argument stay text")
        << "@echo off\nset p=%1!\nif %p%==! echo empty\nif exist %1 echo exists\nfolder\\..\\tool %1\n"
        << QStringList{u"\"sub/a \"b\" & c\""_s} << "TOOL.EXE[sub/a \"b\" & c]\n" << "" << 5;
    QTest::newRow("goto: forward, backward, labels in any case, :eof")
        << "@echo off\ngoto Start\n:again\necho again\ngoto :EOF\n  :START  comment\necho start\nGOTO:again\necho never\n"
        << none << "start\nagain\n" << "" << 0;
    QTest::newRow("a missing label ends the script")
        << "@echo off\necho before\ngoto nowhere\necho after\n" << none << "before\n"
        << "test.bat:3: The system cannot find the batch label specified - nowhere\n" << 1;
    QTest::newRow("if compares tokens that may be quoted")
        << "@echo off\nif \"a b\"==\"a b\" echo 1\nif not a==b echo 2\nif /i ABC==abc echo 3\nif ABC==abc echo no\n"
           "if %undefined%!==! echo 4\nif \"a\"==a echo no\nif 1 == 1 echo 5\n"
        << none << "1\n2\n3\n4\n5\n" << "" << 0;
    QTest::newRow("if exist: Windows paths in any letter case, folders too")
        << "@echo off\nif exist \"SUB\\deep folder\\PROG.EXE\" echo 1\nif not exist nothing.txt echo 2\nif exist sub echo 3\n"
           "if exist \"\" echo no\nif exist \"sub\\deep folder\\prog.exe\\x\" echo no\n"
        << none << "1\n2\n3\n" << "" << 0;
    QTest::newRow("if defined, errorlevel and the exit code")
        << "@echo off\nset x=1\nif defined X echo 1\nif defined y echo no\ntool\nif errorlevel 5 echo 2\n"
           "if errorlevel 6 echo no\necho %errorlevel%\nexit /b 3\necho never\n"
        << none << "1\nTOOL.EXE\n2\n5\n" << "" << 3;
    QTest::newRow("a malformed if ends the script")
        << "@echo off\nif a== echo\necho never\n" << none << ""
        << "test.bat:2: The syntax of the command is incorrect.\n" << 1;
    QTest::newRow("programs: search order, Windows paths, arguments as the C runtime splits them")
        << "@echo off\nboth a \"b c\" d\\\"e\n\"sub\\deep FOLDER\\prog\" -config \"x & y\"\nTool.exe\n" << none
        << "both.com[a][b c][d\"e]\nprog.exe[-config][x & y]\nTOOL.EXE\n" << "" << 5;
    QTest::newRow("a line too long ends the script")
        << u"@echo off\necho "_s + QString(8200, u'a') + u"\necho never\n"_s << none << ""
        << "test.bat:2: The input line is too long.\n" << 1;
    QTest::newRow("a program not found or not started is reported; the script goes on")
        << "@echo off\nnothing here\n\"no where\\x\"\nbroken\necho on\n" << none << ""
        << "test.bat:2: 'nothing' is not recognized as an internal or external command,\n"
           "operable program or batch file.\n"
           "test.bat:3: '\"no where\\x\"' is not recognized as an internal or external command,\n"
           "operable program or batch file.\n"
           "test.bat:4: 'broken' could not be started: Exec format error\n"
        << 9009;
    QTest::newRow("another batch file takes over")
        << "@echo off\nOTHER \"x y\" \"z\"\necho never\n" << none << "in other \"x y\" z\n" << "" << 0;
    QTest::newRow("unsupported forms are reported with their line; the script goes on")
        << "@echo off\necho a > f\n(echo x)\ncd ..\ncall other\necho ^\nset /a x=1\necho %x:~1%\necho %~dp0\n"
           "set\nif 1 EQU 1 echo x\nif 1==2 (\nif exist *.txt echo x\necho \"a > b\" a ^& b ^> c\n"
        << none << "\"a > b\" a & b > c\n"
        << "test.bat:2: \">\" outside quotes (chained commands, pipes, redirection) is not supported\n"
           "test.bat:3: blocks in parentheses are not supported\n"
           "test.bat:4: CD is not supported\n"
           "test.bat:5: CALL is not supported\n"
           "test.bat:6: a caret at the end of a line (continuing it on the next line) is not supported\n"
           "test.bat:7: SET /A and SET /P are not supported\n"
           "test.bat:8: %x:~1% (substrings and replacements) is not supported\n"
           "test.bat:9: %~ modifiers other than %~1 (the argument without its quotes) are not supported\n"
           "test.bat:10: SET without \"=\" (showing variables) is not supported\n"
           "test.bat:11: IF with EQU, NEQ, LSS, LEQ, GTR or GEQ is not supported\n"
           "test.bat:12: blocks in parentheses are not supported\n"
           "test.bat:13: wildcards in IF EXIST are not supported\n"
        << 0;
    QTest::newRow("pause") << "@echo off\npause\n" << none << "Press any key to continue . . . \n" << "" << 0;

    // The command interpreter takes lines of up to 8191 characters; a longer one ends the script.
    const QString longest = QStringLiteral("echo ") + QString(8186, u'x');
    QTest::newRow("a line of 8191 characters runs") << u"@echo off\n"_s + longest + u"\necho done\n"_s << none
                                                    << QString(8186, u'x') + u"\ndone\n"_s << "" << 0;
    QTest::newRow("a line of 8192 characters ends the script")
        << u"@echo off\n"_s + longest + u"x\necho done\n"_s << none << "" << "test.bat:2: The input line is too long.\n" << 1;
    QTest::newRow("a line of 8191 letters of two bytes runs") << u"@echo off\necho "_s + QString(8186, u'\u00e9') << none
                                                             << QString(8186, u'\u00e9') + u"\n"_s << "" << 0;
    QTest::newRow("goto finds a label past a line too long to run")
        << u"@echo off\ngoto end\necho "_s + QString(30000, u'x') + u"\n:end\necho done\n"_s << none << "done\n" << "" << 0;
}

void BatchrunTest::scripts()
{
    QFETCH(QString, script);
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, exitCode);

    FakeConsole console;
    FakeStarter starter(console);
    Runner runner(console, starter, Variables::FromEnvironment({}), files_.path());
    const int result = runner.Run(ScriptFromText(QStringLiteral("test.bat"), script.toUtf8()),
                                  QStringList{QStringLiteral("test.bat")} + arguments);
    QCOMPARE(console.err, err);
    QCOMPARE(console.out, QString(out).replace(QStringLiteral("<folder>"), files_.path()));
    QCOMPARE(result, exitCode);
    QCOMPARE(console.keys, script.contains(u"pause") ? 1 : 0);
}

void BatchrunTest::expansion_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("doubled percent") << "100%% sure %%1 %%x%%" << "100% sure %1 %x%";
    QTest::newRow("variables in any letter case") << "%programfiles%\\Tools;%Home%" << "C:\\PF\\Tools;/home/me";
    QTest::newRow("undefined variables give nothing") << "[%nothing%] [%no thing%]" << "[] []";
    QTest::newRow("a lone percent sign is dropped") << "50% off" << "50 off";
    QTest::newRow("a value is not expanded again") << "%tricky%" << "%home% !home! %1";
    QTest::newRow("arguments") << "%0|%1|%2|%9|%*" << "x.bat|\"a b\"|c||\"a b\" c %home%";
    QTest::newRow("an argument is not expanded again") << "%3" << "%home%";
    QTest::newRow("argument without quotes") << "%~1|%~2|%~5" << "a b|c|";
    QTest::newRow("exclamation marks are text") << "!home!" << "!home!";
}

void BatchrunTest::expansion()
{
    QFETCH(QString, line);
    QFETCH(QString, expanded);
    const Variables variables = Variables::FromEnvironment(
        {QStringLiteral("ProgramFiles=C:\\PF"), QStringLiteral("HOME=/home/me"), QStringLiteral("TRICKY=%home% !home! %1")});
    const QStringList arguments = {QStringLiteral("x.bat"), QStringLiteral("\"a b\""), QStringLiteral("c"),
                                   QStringLiteral("%home%")};
    QCOMPARE(ExpandPercents(line, arguments, [&](const QString &name) { return variables.Value(name); }), expanded);
}

void BatchrunTest::programArguments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("quoted parts are one argument") << " \"a b c\"  d\te " << QStringList{u"a b c"_s, u"d"_s, u"e"_s};
    QTest::newRow("escaped quote and backslash pair") << "\"ab\\\"c\" \"\\\\\" d" << QStringList{u"ab\"c"_s, u"\\"_s, u"d"_s};
    QTest::newRow("backslashes before other characters") << "a\\\\\\b d\"e f\"g h" << QStringList{u"a\\\\\\b"_s, u"de fg"_s, u"h"_s};
    QTest::newRow("odd backslashes before a quote") << "a\\\\\\\"b c d" << QStringList{u"a\\\"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("even backslashes before a quote") << "a\\\\\\\\\"b c\" d e" << QStringList{u"a\\\\b c"_s, u"d"_s, u"e"_s};
    QTest::newRow("two quotes inside a quoted part") << "a\"b\"\" c d" << QStringList{u"ab\""_s, u"c"_s, u"d"_s};
    QTest::newRow("an empty quoted argument counts") << "\"\" x" << QStringList{u""_s, u"x"_s};
    QTest::newRow("an unclosed quote runs to the end") << "-config \"/a b/c" << QStringList{u"-config"_s, u"/a b/c"_s};
}

void BatchrunTest::programArguments()
{
    QFETCH(QString, text);
    QFETCH(QStringList, arguments);
    QCOMPARE(SplitProgramArguments(text), arguments);
}

void BatchrunTest::programSearch_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("found");   // relative to the test files; "" for none
    QTest::newRow(".COM before .EXE") << "both" << "both.com";
    QTest::newRow("name in another letter case") << "tool" << "TOOL.EXE";
    QTest::newRow("extension given") << "BOTH.EXE" << "both.exe";
    QTest::newRow("folders with backslashes, any letter case") << "SUB\\deep FOLDER\\Prog" << "sub/Deep Folder/prog.exe";
    QTest::newRow("dot folders") << ".\\sub\\..\\tool" << "TOOL.EXE";
    QTest::newRow("found in PATH after the current folder") << "pathtool" << "path/pathtool.exe";
    QTest::newRow("a name with a folder is not looked for in PATH") << "x\\pathtool" << "";
    QTest::newRow("a folder is no program") << "folder" << "";
    QTest::newRow("a file without extension is no program") << "plain" << "";
    QTest::newRow("nothing") << "nothing" << "";
}

void BatchrunTest::programSearch()
{
    QFETCH(QString, command);
    QFETCH(QString, found);
    const QString path = QStringLiteral("/nonexistent:") + files_.filePath(QStringLiteral("path"));
    QCOMPARE(ProgramSearch().Find(command, files_.path(), path), found.isEmpty() ? QString() : files_.filePath(found));
}

void BatchrunTest::lineLimit_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("a goto loop") << "@echo off\n:top\necho x\ngoto top\n" << "x\nx\n"
                                 << "test.bat:4: The script was ended after 5 lines.\n";
    QTest::newRow("counted across batch files handed over to")
        << "@echo off\necho a\necho b\nother 1 2\n" << "a\nb\n"
        << files_.filePath(QStringLiteral("other.bat")) + u":2: The script was ended after 5 lines.\n"_s;
    QTest::newRow("a script within the limit") << "@echo off\necho 1\necho 2\necho 3\necho 4\n" << "1\n2\n3\n4\n" << "";
}

// Without a limit a GOTO loop runs for ever, as in the command interpreter; tests and the fuzz target set one.
void BatchrunTest::lineLimit()
{
    QFETCH(QString, script);
    QFETCH(QString, out);
    QFETCH(QString, err);
    FakeConsole console;
    FakeStarter starter(console);
    Runner runner(console, starter, Variables::FromEnvironment({}), files_.path());
    runner.LimitLines(5);
    const int result = runner.Run(ScriptFromText(QStringLiteral("test.bat"), script.toUtf8()), {QStringLiteral("test.bat")});
    QCOMPARE(console.out, out);
    QCOMPARE(console.err, err);
    QCOMPARE(result, err.isEmpty() ? 0 : 1);
}

void BatchrunTest::scriptFilesAreReadWithinBounds_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("limitMemory");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString device = scratch_.filePath(QStringLiteral("device"));
    QVERIFY(QDir().mkpath(device));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), device + QStringLiteral("/launch.bat")));
    QTest::newRow("a script that is an endless device")
        << device << false << ""
        << u"batchrun: cannot read "_s + device + u"/launch.bat: it is a character device, not a regular file\n"_s;

    const QString pipe = scratch_.filePath(QStringLiteral("pipe"));
    QVERIFY(QDir().mkpath(pipe));
    QCOMPARE(mkfifo(QFile::encodeName(pipe + QStringLiteral("/launch.bat")).constData(), 0644), 0);
    QTest::newRow("a script that is a named pipe")
        << pipe << false << ""
        << u"batchrun: cannot read "_s + pipe + u"/launch.bat: it is a named pipe (FIFO), not a regular file\n"_s;

    // Read whole, the line alone would take several times the limit.
    const QString huge = programFolder(QStringLiteral("huge"), "@echo off\r\necho before\r\necho " + QByteArray(30 * 1024 * 1024, 'x')
                                                                  + "\r\necho after\r\n");
    QTest::newRow("a 30 MB line within 100 MB of memory")
        << huge << true << "before\n" << huge + u"/launch.bat:3: The input line is too long.\n"_s;
}

void BatchrunTest::scriptFilesAreReadWithinBounds()
{
    QFETCH(QString, folder);
    QFETCH(bool, limitMemory);
    QFETCH(QString, out);
    QFETCH(QString, err);
    // AddressSanitizer reserves its shadow memory up front, beyond any such limit.
    const bool limited = limitMemory && !qEnvironmentVariableIsSet("ASAN_OPTIONS");
    const Outcome outcome = runBatchrun(folder, {}, {}, [limited] {
        const rlimit memory{100L * 1024 * 1024, 100L * 1024 * 1024};
        if (limited)
            setrlimit(RLIMIT_AS, &memory);
    });
    QCOMPARE(outcome.out, out);
    QCOMPARE(outcome.err, err);
    QCOMPARE(outcome.exitCode, 1);
}

QUILLMARK_TEST_MAIN(BatchrunTest)
#include "test_batchrun.moc"
