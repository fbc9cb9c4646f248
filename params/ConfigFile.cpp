#include "params/ConfigFile.h"

#include "params/AppDir.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "platform/TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>

QString ConfigLine(int row, const QString &value)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return ParamName(row) + u' ' + QString(value).replace(lineBreak, QStringLiteral(" "));
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
