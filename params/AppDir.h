#pragma once

#include <QString>

// The program's folder without trailing separators; set once when the main window is created.
extern QString AppDir;

// Sets AppDir from the full path of the program's executable.
void SetAppDirFromProgram(const QString &programPath);

// AppDir, a separator and name.
QString AppFile(const QString &name);
