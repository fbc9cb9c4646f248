#include "platform/Shell.h"

#include "platform/Services.h"

void RunProgram(const QString &file, const QString &parameters, const QString &folder, int showMode)
{
    services().shell->Open(file, parameters, folder, showMode);
}
