#pragma once

#include <QString>

// The value of the environment variable name; the empty text when it is not set.
QString GetEnvVar(const QString &name);
