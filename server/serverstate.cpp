#include "server/serverstate.h"

bool gLocked = true;
QString gEmpID;
QString gRecDate;
