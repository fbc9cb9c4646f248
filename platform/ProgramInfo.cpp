#include "platform/ProgramInfo.h"

#include <cstdio>

namespace {

constexpr int LineWidth = 79;
constexpr int ExplanationColumn = 24;

// Prints text on standard output; false when it could not all be written (a full disc, a closed pipe).
bool printOut(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && written && !std::ferror(stdout);
}

} // namespace

QString QuillmarkVersion()
{
    return QStringLiteral(QUILLMARK_VERSION);
}

QString VersionText(const QString &program)
{
    return QStringLiteral("%1 (Quillmark) %2\nCopyright (C) 2026 the Quillmark team.\n").arg(program, QuillmarkVersion());
}

QString WrapText(const QString &text, int indent)
{
    const QString margin(indent, u' ');
    QString wrapped;
    QString line = margin;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (line.size() > indent && line.size() + 1 + word.size() > LineWidth) {
            wrapped += line + u'\n';
            line = margin;
        }
        line += (line.size() > indent ? QStringLiteral(" ") : QString()) + word;
    }
    return wrapped + line + u'\n';
}

QString HelpItem(const QString &term, const QString &text)
{
    const QString head = QStringLiteral("  ") + term;
    const QString body = WrapText(text, ExplanationColumn);
    if (head.size() + 2 > ExplanationColumn)
        return head + u'\n' + body;
    return head.leftJustified(ExplanationColumn) + body.mid(ExplanationColumn);
}

QString HelpAndVersionItems()
{
    return HelpItem(QStringLiteral("    --help"), QStringLiteral("display this help and exit"))
        + HelpItem(QStringLiteral("    --version"), QStringLiteral("output version information and exit"));
}

QStringList ArgumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

std::optional<int> AnswerHelpOrVersion(const QStringList &arguments, const QString &program, const QString &help)
{
    if (arguments.isEmpty())
        return std::nullopt;
    QString text;
    if (arguments.first() == QLatin1String("--help"))
        text = help + QStringLiteral("\nReport bugs to: team@quillmark.org\nQuillmark home page: <https://quillmark.org>\n");
    else if (arguments.first() == QLatin1String("--version"))
        text = VersionText(program);
    else
        return std::nullopt;
    if (printOut(text))
        return 0;
    std::fprintf(stderr, "%s: write error\n", qPrintable(program));
    return 1;
}
