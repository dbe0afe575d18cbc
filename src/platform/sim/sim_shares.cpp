#include "platform/sim/sim_shares.h"

#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_services.h"

namespace sim {
using namespace plat;

// The fault a test injected comes first; then the Server service; then the rights check.
NET_API_STATUS SimShares::Refusal(NET_API_STATUS fault, bool needsOperator) const {
    if (fault) return fault;
    // rule: net-server-not-started
    const DWORD server = services_.StateOf("lanmanserver"); // 0: not installed
    if (server == 0 || server == SERVICE_STOPPED) return NERR_ServerNotStarted;
    // rule: netfileenum-administrators-or-server-operators
    if (needsOperator && !kernel_.IsProcessElevated() && !serverOperator_) return ERROR_ACCESS_DENIED;
    return NERR_Success;
}

// rule: netsessionenum-level10-anybody
NET_API_STATUS SimShares::NetSessionEnum(std::vector<SESSION_INFO_10>* sessions) {
    ++enumerations_;
    if (const NET_API_STATUS refused = Refusal(sessionError_, false)) return refused;
    if (!sessions) return ERROR_INVALID_PARAMETER;
    *sessions = sessions_;
    return NERR_Success;
}

NET_API_STATUS SimShares::NetFileEnum(std::vector<FILE_INFO_3>* files) {
    ++enumerations_;
    if (const NET_API_STATUS refused = Refusal(fileError_, true)) return refused;
    if (!files) return ERROR_INVALID_PARAMETER;
    *files = files_;
    return NERR_Success;
}

void SimShares::Connect(const std::string& client, const std::string& user,
                        const std::vector<std::string>& files) {
    sessions_.push_back({client, user});
    for (const auto& path : files)
        files_.push_back({path, user});
}

} // namespace sim
