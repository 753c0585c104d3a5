#include "vandrel/vandrel.h"

extern "C" int32_t cDoDllVersion(void)
{
    return 120124;
}
