#include "platform/gui/Shell.h"

#include "platform/gui/Services.h"

void RunProgram(const QString &file, const QString &parameters, const QString &folder, int showMode)
{
    services().shell->Open(file, parameters, folder, showMode);
}
