#pragma once

#include <QString>

// Starts launch.bat on the configuration file at configPath, in AppDir, where the script looks for
// the utility.
void LaunchEncoder(const QString &configPath);

// The "File not found" box for a source that does not exist.
void ShowSourceNotFound();
