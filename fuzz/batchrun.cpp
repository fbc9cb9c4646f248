// batchrun's parser, expander and runner on any script, with a console and a program starter that only
// check what reaches them: no key is waited for, nothing is read from standard input and no process
// starts. The script runs in a folder of its own with a few programs and batch files to find, and ends
// after a bounded number of lines, so that a GOTO loop ends too.
//
// Input: the script's bytes; after a NUL byte, if there is one, the parameter text it is started with
// (split into batch arguments as the shell splits it).
#include "batchrun/BatchText.h"
#include "batchrun/Console.h"
#include "batchrun/ProgramStarter.h"
#include "batchrun/Runner.h"
#include "fuzz/Require.h"
#include "platform/CommandLine.h"
#include "platform/Failure.h"
#include "platform/PathHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>

namespace {

constexpr qint64 LineLimit = 100;
const QString ScriptName = QStringLiteral("launch.bat");

// Texts that leave the interpreter are plain: the quotes it keeps as text inside an argument never
// show as the character that stands for them.
void requirePlain(const QString &text, const char *where)
{
    Require(!text.contains(TextQuote), where, text);
}

// The program folder: the utility where the launch script looks for it, programs the fuzzer may name
// and batch files that take over, one of them handing over to itself for ever.
class ProgramFolder {
public:
    ProgramFolder()
    {
        write(QStringLiteral("WM8EUTIL.EXE"), "");
        write(QStringLiteral("Program Files/Windows Media Components/Tools/WM8EUTIL.EXE"), "");
        write(QStringLiteral("tool.exe"), "");
        write(QStringLiteral("broken.exe"), "");
        write(QStringLiteral("tmpconfig.weu"), "-input \"clip.avi\"\r\n");
        write(QStringLiteral("other.bat"), "@echo off\r\necho other %1 %~2\r\nset seen=%*\r\ntool %seen%\r\n");
        write(QStringLiteral("again.bat"), "echo again %1\r\n%0 x%1\r\n");
    }

    QString path() const { return dir_.path(); }

    // The number of lines of a batch file of the folder, by the name a report gives it.
    std::optional<qsizetype> lineCount(const QString &scriptName) const
    {
        const auto found = lines_.constFind(QFileInfo(scriptName).fileName().toLower());
        return found == lines_.cend() ? std::nullopt : std::optional<qsizetype>(*found);
    }

private:
    void write(const QString &name, const QByteArray &bytes)
    {
        const QString file = dir_.filePath(name);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        Require(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size(), "the program folder can be written",
                file);
        if (IsBatchFile(name))
            lines_.insert(name.toLower(), bytes.count('\n'));
    }

    QTemporaryDir dir_;
    QHash<QString, qsizetype> lines_;
};

const ProgramFolder &programFolder()
{
    static const ProgramFolder folder;
    return folder;
}

// Checks what the script prints; a key is never waited for.
class CheckingConsole : public Console {
public:
    explicit CheckingConsole(qsizetype scriptLines) : scriptLines_(scriptLines) {}

    void Print(const QString &text) override { requirePlain(text, "output is plain text"); }

    // Every report names the script and a line it has, then says what went wrong.
    void PrintError(const QString &text) override
    {
        requirePlain(text, "reports are plain text");
        static const QRegularExpression report(QStringLiteral("^(.+):(\\d+): .+\\n$"),
                                               QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch match = report.match(text);
        Require(match.hasMatch(), "a report names the script and the line", text);
        const qsizetype line = match.captured(2).toLongLong();
        const std::optional<qsizetype> lines =
            match.captured(1) == ScriptName ? scriptLines_ : programFolder().lineCount(match.captured(1));
        Require(!lines || (line >= 1 && line <= *lines), "a report names a line of its script", text);
    }

    void WaitForKey() override {}

private:
    qsizetype scriptLines_;
};

// Checks each program the script runs instead of starting it; a program whose name starts with "broken" cannot be
// started, the others end with exit code 5.
class CheckingStarter : public ProgramStarter {
public:
    int Run(const QString &program, const QStringList &arguments, const QString &folder,
            const QStringList &environment) override
    {
        Require(QFileInfo(program).isFile() && !IsBatchFile(program), "a program started is a file and no batch file",
                program);
        Require(folder == programFolder().path(), "programs run in the current folder", folder);
        requirePlain(program, "program names are plain text");
        for (const QString &argument : arguments)
            requirePlain(argument, "program arguments are plain text");
        for (const QString &entry : environment)
            requirePlain(entry, "the environment is plain text");
        if (QFileInfo(program).fileName().startsWith(u"broken"))
            throw Failure(QStringLiteral("Exec format error"));
        return 5;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(bytes), qsizetype(size));
    const qsizetype nul = input.indexOf('\0');
    const Script script = ScriptFromText(ScriptName, nul < 0 ? input : input.left(nul));
    const QString parameters = nul < 0 ? QString() : QString::fromLocal8Bit(input.mid(nul + 1));

    const QString folder = programFolder().path();
    CheckingConsole console(script.lines.size());
    CheckingStarter starter;
    Runner runner(console, starter,
                  Variables::FromEnvironment({QStringLiteral("ProgramFiles=") + folder + QStringLiteral("/Program Files")}),
                  folder);
    runner.LimitLines(LineLimit);
    runner.Run(script, QStringList{ScriptName} + SplitBatchArguments(parameters));
    return 0;
}
