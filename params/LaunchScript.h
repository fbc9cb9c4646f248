#pragma once

#include <QString>
#include <QStringList>

// The launch.bat in LaunchDir.
QString LaunchScriptPath();

// Writes the template lines to launch.bat unless a launch.bat exists already, whatever it holds.
// Throws Failure when the file cannot be created.
void WriteLaunchScriptIfMissing(const QStringList &templateLines);
