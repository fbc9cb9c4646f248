#include "platform/Services.h"

Services &services()
{
    static Services instance;
    return instance;
}
