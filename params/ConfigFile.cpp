#include "params/ConfigFile.h"

#include "params/AppDir.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "platform/TextFile.h"

#include <QFileInfo>

// The line breaks are replaced character by character: a value may hold the bytes of a name that is
// not UTF-8 (see PathFromNative), which is no valid text to a regular expression, and one would match
// nothing in it.
QString ConfigLine(int row, const QString &value)
{
    QString text = value;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    return ParamName(row) + u' ' + text;
}

QStringList ConfigLines(const ParamTable &table)
{
    QStringList lines;
    for (int row = 1; row <= ParamCount; ++row)
        if (!table.Value(row).isEmpty())
            lines.append(ConfigLine(row, table.Value(row)));
    return lines;
}

QString SaveConfigFile(const QStringList &lines)
{
    const QString path = LaunchFile(QStringLiteral("tmpconfig.weu"));
    SaveLinesToFile(path, lines);
    return QFileInfo(path).absoluteFilePath();
}

QString WriteConfigFile(const ParamTable &table)
{
    return SaveConfigFile(ConfigLines(table));
}
