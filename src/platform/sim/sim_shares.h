#pragma once
// The server service's sessions and open files, as data a test chooses, with the rights
// Windows asks of whoever enumerates them.
#include <vector>

#include "platform/shares.h"

namespace sim {

class SimKernel;
class SimServices;

class SimShares : public plat::IShares {
  public:
    SimShares(SimKernel& kernel, SimServices& services) : kernel_(kernel), services_(services) {}

    plat::NET_API_STATUS NetSessionEnum(std::vector<plat::SESSION_INFO_10>* sessions) override;
    plat::NET_API_STATUS NetFileEnum(std::vector<plat::FILE_INFO_3>* files) override;

    // A client computer connected as user, holding the given files (local paths) open.
    void Connect(const std::string& client, const std::string& user,
                 const std::vector<std::string>& files = {});
    // A file still listed open while its session has ended (between the two enumerations).
    // Unverified: the caller lists such a file under its user, and is right if Windows never does it.
    void OpenFileOfEndedSession(const std::string& user, const std::string& file) {
        files_.push_back({file, user});
    }
    void DisconnectAll() {
        sessions_.clear();
        files_.clear();
    }
    // The account is in Server Operators: it may list open files without elevation.
    void SetServerOperator(bool on) { serverOperator_ = on; }
    // Every enumeration of that kind fails with code (0 ends the fault), whoever asks.
    void FailSessionEnum(plat::NET_API_STATUS code) { sessionError_ = code; }
    void FailFileEnum(plat::NET_API_STATUS code) { fileError_ = code; }
    int Enumerations() const { return enumerations_; }

  private:
    plat::NET_API_STATUS Refusal(plat::NET_API_STATUS fault, bool needsOperator) const;

    SimKernel& kernel_;
    SimServices& services_;
    std::vector<plat::SESSION_INFO_10> sessions_;
    std::vector<plat::FILE_INFO_3> files_;
    bool serverOperator_ = false;
    plat::NET_API_STATUS sessionError_ = 0;
    plat::NET_API_STATUS fileError_ = 0;
    int enumerations_ = 0;
};

} // namespace sim
