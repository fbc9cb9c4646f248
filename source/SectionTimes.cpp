#include "source/SectionTimes.h"

#include <climits>
#include <cmath>

int WholeSeconds(double seconds)
{
    if (std::isnan(seconds))
        return 0;
    const double rounded = std::nearbyint(seconds);
    if (rounded >= double(INT_MAX))
        return INT_MAX;
    if (rounded <= double(INT_MIN))
        return INT_MIN;
    return int(rounded);
}
