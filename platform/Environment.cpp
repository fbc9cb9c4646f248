#include "platform/Environment.h"

#include <QtGlobal>

QString GetEnvVar(const QString &name)
{
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}
