#include "params/UtilityLocation.h"

#include "params/AppDir.h"
#include "platform/Environment.h"
#include "platform/PathHelpers.h"

QString ProgramFilesToolsFolder()
{
    return GetEnvVar(QStringLiteral("ProgramFiles")) + QStringLiteral("/Windows Media Components/Tools");
}

QString FindUtilityFile(const QString &name)
{
    const QString inAppDir = FindFileNoCase(AppDir, name);
    return inAppDir.isEmpty() ? FindFileNoCase(ProgramFilesToolsFolder(), name) : inAppDir;
}
