#include "protocol/CoreDumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace pelmora {

void keepSecretsOutOfCoreDumps() {
    // Not dumpable: no core file and no ptrace by others of the same user. The core size limit
    // goes to zero as well (the hard limit is left alone), for a system whose core pattern would
    // dump the process all the same (suid_dumpable 2).
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    rlimit core{};
    if (::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur != 0) {
        core.rlim_cur = 0;
        ::setrlimit(RLIMIT_CORE, &core);
    }
}

bool coreDumpsAllowed() {
    return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 1;
}

}  // namespace pelmora
