#pragma once

#include <QString>

// The program's folder without trailing separators; set once when the main window is created.
extern QString AppDir;

// The folder that holds launch.bat and tmpconfig.weu: AppDir when the program may write there, as a
// folder of the user's own; else, for a program installed for the whole system, the user's data
// folder for Quillmark. Set once, right after AppDir.
extern QString LaunchDir;

// Sets AppDir from the full path of the program's executable.
void SetAppDirFromProgram(const QString &programPath);

// $XDG_DATA_HOME/quillmark, or ~/.local/share/quillmark when XDG_DATA_HOME is unset or not an
// absolute path.
QString UserDataFolder();

// Sets LaunchDir from AppDir and creates it when it is the user's data folder and missing. A folder
// that cannot be created is left to the first file written there to report.
void ChooseLaunchDir();

// LaunchDir, a separator and name.
QString LaunchFile(const QString &name);
