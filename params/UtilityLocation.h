#pragma once

#include <QString>

// The folder under ProgramFiles where the encoding utility and its help file are installed.
QString ProgramFilesToolsFolder();

// The full path of a file of the utility's (WM8EUTIL.EXE, WMEnUtil.chm) in AppDir, else in the tools
// folder under ProgramFiles; names match without regard to letter case. Empty when in neither.
QString FindUtilityFile(const QString &name);
