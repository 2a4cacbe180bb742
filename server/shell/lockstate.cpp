#include "server/shell/lockstate.h"

#include "core/audit/audittrail.h"
#include "server/serverstate.h"

LockState& LockState::instance()
{
    static LockState state;
    return state;
}

void LockState::set(bool locked)
{
    gLocked = locked;
    AuditTrail::setAdministratorLoggedIn(!locked);
    Q_EMIT instance().changed(locked);
}
