#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

// Stops the fuzz run when a property does not hold, naming it and the values that broke it, so that
// libFuzzer keeps the input that led there.
inline void Require(bool holds, const char *property, const QString &detail = {})
{
    if (holds)
        return;
    std::fprintf(stderr, "Property broken: %s\n%s\n", property, qUtf8Printable(detail));
    std::abort();
}
