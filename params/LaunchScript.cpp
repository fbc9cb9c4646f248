#include "params/LaunchScript.h"

#include "params/AppDir.h"
#include "platform/PathHelpers.h"
#include "platform/TextFile.h"

QString LaunchScriptPath()
{
    return LaunchFile(QStringLiteral("launch.bat"));
}

void WriteLaunchScriptIfMissing(const QStringList &templateLines)
{
    if (!FileExists(LaunchScriptPath()))
        SaveLinesToFile(LaunchScriptPath(), templateLines);
}
