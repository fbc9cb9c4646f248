#include "batchrun/CommandSyntax.h"

#include "batchrun/BatchErrors.h"
#include "batchrun/BatchText.h"
#include "platform/CommandLine.h"

namespace {

// Every command the interpreter runs itself; batchrun runs some of them and reports the others, so that
// none is mistaken for a program.
constexpr QStringView InternalCommands[] = {
    u"ASSOC", u"BREAK",  u"CALL",     u"CD",    u"CHDIR",    u"CLS",    u"COLOR",  u"COPY",   u"DATE",
    u"DEL",   u"DIR",    u"DPATH",    u"ECHO",  u"ENDLOCAL", u"ERASE",  u"EXIT",   u"FOR",    u"FTYPE",
    u"GOTO",  u"IF",     u"KEYS",     u"MD",    u"MKDIR",    u"MKLINK", u"MOVE",   u"PATH",   u"PAUSE",
    u"POPD",  u"PROMPT", u"PUSHD",    u"RD",    u"REM",      u"REN",    u"RENAME", u"RMDIR",  u"SET",
    u"SETLOCAL", u"SHIFT", u"START",  u"TIME",  u"TITLE",    u"TYPE",   u"VER",    u"VERIFY", u"VOL",
};

// Characters that may follow an internal command's name directly ("echo.", "goto:end", "cd..").
bool endsCommandName(QChar c)
{
    return QStringView(u".:/\\+[](").contains(c);
}

QString internalCommandAt(const QString &word)
{
    for (QStringView name : InternalCommands)
        if (word.startsWith(name, Qt::CaseInsensitive) && (word.size() == name.size() || endsCommandName(word[name.size()])))
            return word.left(name.size());
    return {};
}

bool isComparisonWord(const QString &word)
{
    for (QStringView comparison : {u"EQU", u"NEQ", u"LSS", u"LEQ", u"GTR", u"GEQ"})
        if (word.compare(comparison, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A block in parentheses spans lines and has an ELSE; it is refused wherever a command starts, so that
// none of its lines runs on its own.
void refuseBlock(const QString &command)
{
    if (command.startsWith(u'(') || command.startsWith(u')'))
        throw NotSupported(QStringLiteral("blocks in parentheses are not supported"));
}

// The next token of an IF command; a missing one is a syntax error.
QString takeOperand(const QString &text, qsizetype &pos)
{
    pos = SkipBatchDelimiters(text, pos);
    const QString token = TakeBatchToken(text, pos);
    if (token.isEmpty())
        throw SyntaxError();
    return token;
}

} // namespace

qsizetype SkipBlanks(const QString &text, qsizetype pos)
{
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    return pos;
}

LineStart SplitLineStart(const QString &line)
{
    LineStart start;
    qsizetype pos = 0;
    for (; pos < line.size() && (IsBatchDelimiter(line[pos]) || line[pos] == u'@'); ++pos)
        start.quiet = start.quiet || line[pos] == u'@';
    start.command = line.mid(pos);
    return start;
}

// Chaining (&, &&, ||), pipes and redirection are refused rather than emulated: the launch script needs
// none of them, and running part of such a line, or running it with its output in the wrong place, would
// do something other than the command interpreter does. Quoted text is always literal.
QString ResolveEscapes(const QString &text)
{
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"')
            quoted = !quoted;
        if (quoted || c == u'"') {
            result += c;
        } else if (c == u'^') {
            if (++i == text.size())
                throw NotSupported(QStringLiteral("a caret at the end of a line (continuing it on the next line) is not supported"));
            result += text[i] == u'"' ? TextQuote : text[i];
        } else if (QStringView(u"&|<>").contains(c)) {
            throw NotSupported(QStringLiteral("\"%1\" outside quotes (chained commands, pipes, redirection) is not supported").arg(c));
        } else {
            result += c;
        }
    }
    return result;
}

Command SplitCommand(const QString &text)
{
    refuseBlock(text);
    qsizetype pos = 0;
    const QString word = TakeBatchToken(text, pos);
    const QString internal = word.startsWith(u'"') ? QString() : internalCommandAt(word);
    if (!internal.isEmpty())
        return {internal, text.mid(internal.size()), true};
    return {word, text.mid(pos), false};
}

IfStatement ParseIf(const QString &text)
{
    IfStatement statement;
    qsizetype pos = 0;
    QString token = takeOperand(text, pos);
    if (token.compare(u"/I", Qt::CaseInsensitive) == 0) {
        statement.ignoreCase = true;
        token = takeOperand(text, pos);
    }
    if (token.compare(u"NOT", Qt::CaseInsensitive) == 0) {
        statement.negated = true;
        token = takeOperand(text, pos);
    }
    const std::pair<const char16_t *, IfStatement::Kind> keywords[] = {
        {u"EXIST", IfStatement::Kind::Exist},
        {u"DEFINED", IfStatement::Kind::Defined},
        {u"ERRORLEVEL", IfStatement::Kind::ErrorLevel},
    };
    for (const auto &[keyword, kind] : keywords)
        if (token.compare(QStringView(keyword), Qt::CaseInsensitive) == 0)
            statement.kind = kind;
    if (statement.kind == IfStatement::Kind::Compare) {
        statement.left = token;
        pos = SkipBlanks(text, pos);
        if (!QStringView(text).mid(pos).startsWith(u"==")) {
            qsizetype wordEnd = pos;
            if (isComparisonWord(TakeBatchToken(text, wordEnd)))
                throw NotSupported(QStringLiteral("IF with EQU, NEQ, LSS, LEQ, GTR or GEQ is not supported"));
            throw SyntaxError();
        }
        pos += 2;
        statement.right = takeOperand(text, pos);
    } else {
        statement.left = takeOperand(text, pos);
    }
    statement.command = text.mid(SkipBatchDelimiters(text, pos));
    if (statement.command.isEmpty())
        throw SyntaxError();
    refuseBlock(statement.command);
    return statement;
}
