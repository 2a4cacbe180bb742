#include "core/net/openfiles.h"

#include <QFile>
#include <sys/resource.h>

namespace OpenFiles {

bool raiseSoftLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return false;
    rlim_t wanted = limit.rlim_max;
    if (wanted == RLIM_INFINITY) {
        // The kernel refuses an unlimited soft limit; its own ceiling is the most it grants.
        QFile ceiling(QStringLiteral("/proc/sys/fs/nr_open"));
        bool ok = false;
        const rlim_t most = ceiling.open(QIODevice::ReadOnly) ? ceiling.readAll().trimmed().toULongLong(&ok) : 0;
        wanted = ok ? most : rlim_t(1024) * 1024;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted)
        return true;
    limit.rlim_cur = wanted;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

} // namespace OpenFiles
