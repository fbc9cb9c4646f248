#include "batchrun/Runner.h"

#include "batchrun/BatchErrors.h"
#include "batchrun/BatchText.h"
#include "batchrun/Console.h"
#include "batchrun/Expansion.h"
#include "batchrun/ProgramArguments.h"
#include "batchrun/ProgramStarter.h"
#include "batchrun/WindowsPaths.h"
#include "platform/CommandLine.h"
#include "platform/PathHelpers.h"

namespace {

// The interpreter's exit code for a command that names no program it can start.
constexpr int NotFoundErrorLevel = 9009;

bool isRemark(const QString &text)
{
    const Command command = SplitCommand(text);
    return command.internal && command.word.compare(u"REM", Qt::CaseInsensitive) == 0;
}

QString firstToken(const QString &text)
{
    qsizetype pos = SkipBatchDelimiters(text, 0);
    return TakeBatchToken(text, pos);
}

} // namespace

Runner::Runner(Console &console, ProgramStarter &starter, Variables variables, QString folder)
    : console_(console), starter_(starter), variables_(std::move(variables)), folder_(std::move(folder))
{
}

int Runner::Run(const Script &script, const QStringList &arguments)
{
    begin(script, arguments);
    ended_ = false;
    linesRun_ = 0;
    while (!ended_ && next_ < script_.lines.size()) {
        current_ = next_++;
        try {
            if (lineLimit_ && linesRun_++ == *lineLimit_)
                throw ScriptError(QStringLiteral("The script was ended after %1 lines.").arg(*lineLimit_));
            runLine(script_.lines[current_]);
        } catch (const ScriptError &error) {
            report(error.message());
            errorLevel_ = 1;
            ended_ = true;
        } catch (const Failure &failure) {
            report(failure.message());
        }
    }
    return errorLevel_;
}

void Runner::LimitLines(qint64 count)
{
    lineLimit_ = count;
}

void Runner::begin(const Script &script, const QStringList &arguments)
{
    script_ = script;
    arguments_.clear();
    for (const QString &argument : arguments)
        arguments_.append(ProtectInnerQuotes(argument));
    next_ = 0;
}

void Runner::runLine(const QString &line)
{
    if (LabelOf(line))
        return;
    const QString expanded = ExpandPercents(line, arguments_, [this](const QString &name) { return variable(name); });
    // Too long as read, or once expanded. The limit also bounds how deeply IF commands can nest.
    if (script_.tooLong.contains(current_) || expanded.size() > LongestLine)
        throw ScriptError(QStringLiteral("The input line is too long."));
    const LineStart start = SplitLineStart(expanded);
    if (start.command.isEmpty())
        return;
    const QString command = isRemark(start.command) ? start.command : ResolveEscapes(start.command);
    if (echo_ && !start.quiet)
        console_.Print(u'\n' + folder_ + u'>' + PlainText(command) + u'\n');
    runCommand(command);
}

void Runner::runCommand(const QString &text)
{
    using Handler = void (Runner::*)(const QString &tail);
    static const std::pair<QStringView, Handler> handlers[] = {
        {u"ECHO", &Runner::echo},      {u"REM", &Runner::remark},  {u"SET", &Runner::set},
        {u"IF", &Runner::ifCommand},   {u"GOTO", &Runner::gotoLabel}, {u"PAUSE", &Runner::pause},
        {u"EXIT", &Runner::exit},
    };
    const Command command = SplitCommand(text);
    if (!command.internal) {
        startProgram(command);
        return;
    }
    for (const auto &[name, handler] : handlers) {
        if (command.word.compare(name, Qt::CaseInsensitive) == 0) {
            (this->*handler)(command.tail);
            return;
        }
    }
    throw NotSupported(command.word.toUpper() + QStringLiteral(" is not supported"));
}

// The first character after ECHO only separates it from the text; the rest is printed as it stands.
void Runner::echo(const QString &tail)
{
    if (tail.trimmed().isEmpty()) {
        console_.Print(echo_ ? QStringLiteral("ECHO is on.\n") : QStringLiteral("ECHO is off.\n"));
        return;
    }
    const QString word = tail.mid(1).trimmed();
    const bool on = word.compare(u"ON", Qt::CaseInsensitive) == 0;
    if (tail[0].isSpace() && (on || word.compare(u"OFF", Qt::CaseInsensitive) == 0))
        echo_ = on;
    else
        console_.Print(PlainText(tail.mid(1)) + u'\n');
}

// REM makes the rest of its line a comment.
void Runner::remark(const QString &)
{
}

// SET NAME=value keeps the value exactly, trailing blanks included; SET "NAME=value" ends the
// assignment at the last quote.
void Runner::set(const QString &tail)
{
    QString assignment = tail.mid(SkipBlanks(tail, 0));
    if (assignment.startsWith(u'/'))
        throw NotSupported(QStringLiteral("SET /A and SET /P are not supported"));
    if (assignment.startsWith(u'"'))
        assignment = assignment.mid(1, assignment.lastIndexOf(u'"') - 1);
    const qsizetype equals = assignment.indexOf(u'=');
    if (equals < 0)
        throw NotSupported(QStringLiteral("SET without \"=\" (showing variables) is not supported"));
    if (equals == 0)
        throw SyntaxError();
    variables_.Set(assignment.left(equals), assignment.mid(equals + 1));
}

void Runner::ifCommand(const QString &tail)
{
    const IfStatement statement = ParseIf(tail);
    if (holds(statement) != statement.negated)
        runCommand(statement.command);
}

bool Runner::holds(const IfStatement &statement) const
{
    switch (statement.kind) {
    case IfStatement::Kind::Exist: {
        const QString path = WithoutQuotes(statement.left);
        const bool exists = !FindPath(path, folder_).isEmpty();
        // A name here may hold "*" or "?" as letters; only where no such file exists are they taken as
        // the wildcards the command interpreter would match, which this interpreter does not.
        if (!exists && (path.contains(u'*') || path.contains(u'?')))
            throw NotSupported(QStringLiteral("wildcards in IF EXIST are not supported"));
        return exists;
    }
    case IfStatement::Kind::Defined:
        return variables_.Value(statement.left).has_value();
    case IfStatement::Kind::ErrorLevel: {
        bool isNumber = false;
        const int level = statement.left.toInt(&isNumber);
        if (!isNumber)
            throw SyntaxError();
        return errorLevel_ >= level;
    }
    case IfStatement::Kind::Compare:
        break;
    }
    return statement.left.compare(statement.right, statement.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

void Runner::gotoLabel(const QString &tail)
{
    const QString target = firstToken(tail);
    if (target.isEmpty())
        throw ScriptError(QStringLiteral("No batch label specified to GOTO command."));
    if (target.compare(u":EOF", Qt::CaseInsensitive) == 0) {
        ended_ = true;
        return;
    }
    const QString label = target.startsWith(u':') ? target.mid(1) : target;
    const std::optional<qsizetype> line = FindLabel(script_, label, current_);
    if (!line)
        throw ScriptError(QStringLiteral("The system cannot find the batch label specified - ") + PlainText(label));
    next_ = *line + 1;
}

void Runner::pause(const QString &)
{
    console_.Print(QStringLiteral("Press any key to continue . . . "));
    console_.WaitForKey();
    console_.Print(QStringLiteral("\n"));
}

// EXIT and EXIT /B both end the script, which is all this interpreter runs; a malformed exit code counts
// as 0, as in the command interpreter.
void Runner::exit(const QString &tail)
{
    qsizetype pos = SkipBatchDelimiters(tail, 0);
    QString code = TakeBatchToken(tail, pos);
    if (code.compare(u"/B", Qt::CaseInsensitive) == 0)
        code = firstToken(tail.mid(pos));
    if (!code.isEmpty())
        errorLevel_ = code.toInt();
    ended_ = true;
}

// Another batch file takes the script's place for good, as it does in the command interpreter without CALL.
void Runner::startProgram(const Command &command)
{
    const QString searchPath = variables_.Value(QStringLiteral("PATH")).value_or(QString());
    const QString program = programs_.Find(WithoutQuotes(command.word), folder_, searchPath);
    if (program.isEmpty()) {
        errorLevel_ = NotFoundErrorLevel;
        report(u'\'' + PlainText(command.word) +
               QStringLiteral("' is not recognized as an internal or external command,\noperable program or batch file."));
        return;
    }
    if (IsBatchFile(program)) {
        begin(LoadScript(program, program), QStringList{command.word} + SplitBatchArguments(command.tail));
        return;
    }
    QStringList arguments;
    for (const QString &argument : SplitProgramArguments(command.tail))
        arguments.append(PlainText(argument));
    try {
        errorLevel_ = starter_.Run(program, arguments, folder_, variables_.ToEnvironment());
    } catch (const Failure &failure) {
        errorLevel_ = NotFoundErrorLevel;
        report(u'\'' + PlainText(command.word) + QStringLiteral("' could not be started: ") + failure.message());
    }
}

std::optional<QString> Runner::variable(const QString &name) const
{
    if (const std::optional<QString> value = variables_.Value(name))
        return value;
    if (name.compare(u"ERRORLEVEL", Qt::CaseInsensitive) == 0)
        return QString::number(errorLevel_);
    return std::nullopt;
}

void Runner::report(const QString &message)
{
    console_.PrintError(QStringLiteral("%1:%2: %3\n").arg(script_.name, QString::number(current_ + 1), message));
}
