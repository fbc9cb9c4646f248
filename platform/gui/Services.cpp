#include "platform/gui/Services.h"

Services &services()
{
    static Services instance;
    return instance;
}
