#include "params/AppDir.h"

#include "platform/PathHelpers.h"

QString AppDir;

void SetAppDirFromProgram(const QString &programPath)
{
    AppDir = StripTrailingBackslashes(ExtractFilePath(programPath));
}

QString AppFile(const QString &name)
{
    return JoinPath(AppDir, name);
}
