#pragma once

#include <QString>
#include <QStringList>

class ParamTable;

// One line of the configuration file: the switch name, one blank and the value as it stands. A line
// break inside the value becomes a blank, so that no value can add a line of its own.
QString ConfigLine(int row, const QString &value);

// A line for each row with a value, in row order 1 to 23.
QStringList ConfigLines(const ParamTable &table);

// Saves lines as LaunchDir's tmpconfig.weu and returns its absolute path; throws Failure when the
// file cannot be created.
QString SaveConfigFile(const QStringList &lines);

// Writes every filled row of the table to tmpconfig.weu and returns its absolute path.
QString WriteConfigFile(const ParamTable &table);
