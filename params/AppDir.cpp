#include "params/AppDir.h"

#include "platform/Environment.h"
#include "platform/PathHelpers.h"

#include <QDir>

QString AppDir;
QString LaunchDir;

void SetAppDirFromProgram(const QString &programPath)
{
    AppDir = StripTrailingBackslashes(ExtractFilePath(programPath));
}

QString UserDataFolder()
{
    const QString dataHome = GetEnvVar(QStringLiteral("XDG_DATA_HOME"));
    const QString base = QDir::isAbsolutePath(dataHome) ? dataHome : QDir::homePath() + QStringLiteral("/.local/share");
    return JoinPath(StripTrailingBackslashes(base), QStringLiteral("quillmark"));
}

void ChooseLaunchDir()
{
    if (IsWritableFolder(AppDir)) {
        LaunchDir = AppDir;
        return;
    }
    LaunchDir = UserDataFolder();
    QDir().mkpath(LaunchDir);
}

QString LaunchFile(const QString &name)
{
    return JoinPath(LaunchDir, name);
}
