// The real shell: which terminal runs a batch file, with which arguments and folder, and what the
// user is told when nothing can be started.
#include "TestMain.h"

#include "FakeDialogs.h"
#include "platform/gui/DesktopShell.h"
#include "platform/gui/Services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// A stand-in program that records its folder and its arguments, one per line, into record.
void writeRecorder(const QString &path, const QString &record)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '%1'\n")
                   .arg(record)
                   .toUtf8());
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

QStringList waitForRecord(const QString &record)
{
    QFile file(record);
    if (!QTest::qWaitFor([&] { return file.exists() && file.size() > 0; }, 5000))
        return {};
    QTest::qWait(50);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void batchFileRunsInTheChosenTerminal();
    void terminalSettingIsReadAsAShellReadsIt_data();
    void terminalSettingIsReadAsAShellReadsIt();
    void terminalFallsBackToTheDebianDefault();
    void nothingToStartIsReported();
    void otherFilesGoToTheDesktopOpener();

private:
    QTemporaryDir bin;
    QTemporaryDir work;
    FakeDialogs dialogs;
    QByteArray savedPath;
    QByteArray savedTerminal;
};

void ShellTest::init()
{
    dialogs = FakeDialogs();
    services().dialogs = &dialogs;
    savedPath = qgetenv("PATH");
    savedTerminal = qgetenv("TERMINAL");
    qputenv("PATH", bin.path().toLocal8Bit());
    qunsetenv("TERMINAL");
}

void ShellTest::cleanup()
{
    qputenv("PATH", savedPath);
    if (savedTerminal.isNull())
        qunsetenv("TERMINAL");
    else
        qputenv("TERMINAL", savedTerminal);
    for (const QString &name : QDir(bin.path()).entryList(QDir::Files))
        QFile::remove(bin.filePath(name));
    services() = Services();
}

void ShellTest::batchFileRunsInTheChosenTerminal()
{
    const QString record = work.filePath(QStringLiteral("chosen.txt"));
    writeRecorder(bin.filePath(QStringLiteral("my-term")), record);
    writeRecorder(bin.filePath(QStringLiteral("xterm")), work.filePath(QStringLiteral("xterm.txt")));
    qputenv("TERMINAL", "my-term --hold");
    const QString folder = work.filePath(QStringLiteral("app (x) & \"y\" z"));
    QVERIFY(QDir().mkpath(folder));

    DesktopShell shell(QStringLiteral("/opt/q/batchrun"));
    shell.Open(folder + QStringLiteral("/launch.bat"), QStringLiteral("\"%1/tmp config.weu\" second,third").arg(folder),
               folder, 1);

    QCOMPARE(waitForRecord(record),
             (QStringList{folder, u"--hold"_s, u"-e"_s, u"/opt/q/batchrun"_s, folder + u"/launch.bat"_s,
                          u"\""_s + folder + u"/tmp config.weu\""_s, u"second"_s, u"third"_s}));
    QVERIFY(!QFile::exists(work.filePath(QStringLiteral("xterm.txt"))));
    QVERIFY(dialogs.messages.isEmpty());
}

// TERMINAL names a program in a folder with blanks: as the whole value, as a quoted path with an
// option after it, or as a name to find on the PATH.
void ShellTest::terminalSettingIsReadAsAShellReadsIt_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("a path with blanks, whole") << "%1" << QStringList();
    QTest::newRow("a quoted path with blanks and an option") << "\"%1\" --hold" << QStringList{u"--hold"_s};
    QTest::newRow("a path with blanks and blanks around") << "  %1 " << QStringList();
}

void ShellTest::terminalSettingIsReadAsAShellReadsIt()
{
    QFETCH(QString, setting);
    QFETCH(QStringList, options);
    const QString folder = work.filePath(QStringLiteral("My Terminals"));
    QVERIFY(QDir().mkpath(folder));
    const QString terminal = folder + QStringLiteral("/big term");
    const QString record = work.filePath(QStringLiteral("chosen.txt"));
    QFile::remove(record);
    writeRecorder(terminal, record);
    writeRecorder(bin.filePath(QStringLiteral("x-terminal-emulator")), work.filePath(QStringLiteral("default.txt")));
    qputenv("TERMINAL", setting.arg(terminal).toLocal8Bit());

    DesktopShell shell(QStringLiteral("/opt/q/batchrun"));
    shell.Open(work.filePath(QStringLiteral("launch.bat")), QString(), work.path(), 1);

    const QStringList expected =
        QStringList{work.path()} + options + QStringList{u"-e"_s, u"/opt/q/batchrun"_s, work.filePath(u"launch.bat"_s)};
    QCOMPARE(waitForRecord(record), expected);
    QVERIFY(!QFile::exists(work.filePath(QStringLiteral("default.txt"))));
    QVERIFY(dialogs.messages.isEmpty());
}

void ShellTest::terminalFallsBackToTheDebianDefault()
{
    const QString record = work.filePath(QStringLiteral("default.txt"));
    QFile::remove(record);
    writeRecorder(bin.filePath(QStringLiteral("x-terminal-emulator")), record);
    qputenv("TERMINAL", "/opt/no such/terminal");
    bool toldFirst = false;
    dialogs.onMessage = [&](const FakeDialogs::Shown &) { toldFirst = !QFile::exists(record); };

    DesktopShell shell(QStringLiteral("/opt/q/batchrun"));
    shell.Open(work.filePath(QStringLiteral("LAUNCH.BAT")), QString(), work.path(), 1);

    QCOMPARE(waitForRecord(record), (QStringList{work.path(), u"-e"_s, u"/opt/q/batchrun"_s, work.filePath(u"LAUNCH.BAT"_s)}));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("Shell"));
    QCOMPARE(dialogs.messages[0].text, QStringLiteral("Cannot start the terminal that TERMINAL names: /opt/no such/terminal."
                                                      "\r\rTrying x-terminal-emulator, then xterm instead."));
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::Warning);
    QVERIFY(toldFirst);
}

void ShellTest::nothingToStartIsReported()
{
    DesktopShell shell(QStringLiteral("/opt/q/batchrun"));
    shell.Open(QStringLiteral("/app/launch.bat"), QStringLiteral("\"/app/tmpconfig.weu\""), QStringLiteral("/app"), 1);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("Shell"));
    QCOMPARE(dialogs.messages[0].text,
             QStringLiteral("Cannot open /app/launch.bat.\r\rNothing could be started; tried: x-terminal-emulator, xterm."));
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);

    qputenv("TERMINAL", "gone-term");
    shell.Open(QStringLiteral("/app/launch.bat"), QString(), QStringLiteral("/app"), 1);
    QCOMPARE(dialogs.messages.size(), 3);
    QCOMPARE(dialogs.messages[2].text,
             QStringLiteral("Cannot open /app/launch.bat.\r\rNothing could be started; tried: gone-term, x-terminal-emulator, xterm."));
}

void ShellTest::otherFilesGoToTheDesktopOpener()
{
    const QString record = work.filePath(QStringLiteral("opener.txt"));
    writeRecorder(bin.filePath(QStringLiteral("xdg-open")), record);
    writeRecorder(bin.filePath(QStringLiteral("xterm")), work.filePath(QStringLiteral("xterm.txt")));

    DesktopShell shell(QStringLiteral("/opt/q/batchrun"));
    shell.Open(QStringLiteral("https://quillmark.org"), QString(), QString(), 1);

    QCOMPARE(waitForRecord(record), (QStringList{QDir::currentPath(), u"https://quillmark.org"_s}));
    QVERIFY(!QFile::exists(work.filePath(QStringLiteral("xterm.txt"))));
}

QUILLMARK_TEST_MAIN(ShellTest)
#include "test_shell.moc"
