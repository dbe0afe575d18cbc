#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"

namespace sim {

class SimKernel;
class SimRegistry;

// A service control manager with scripted services. Every call is recorded in order, so a
// test can check what was asked and in which sequence; accepted stops and starts are also
// kept as a plain list of actions ("stop Browser", "start LanmanServer").
class SimServices : public plat::IServiceManager {
  public:
    struct Call {
        std::string op;      // the operation's Windows name
        std::string service; // the service it was about, empty for the manager
        plat::DWORD value;   // access, control code, argument count or buffer size
        std::string detail;  // the start argument, when there is one
    };

    struct Service {
        std::string name;
        std::string displayName;
        plat::DWORD state = plat::SERVICE_STOPPED;
        std::vector<std::string> dependencies;
        int settlePolls = 1;       // status queries until a request's target state is reached
        bool neverSettles = false; // stays in the pending state for good
        plat::DWORD refuseControl = 0;
        bool acceptsStop = true; // else a stop is refused with 1052 and the status says so
        // Withholds STOP while a dependent is active, as the Wine suites' test service does
        // (a service may change what it accepts at any time; unverified which ones do).
        bool acceptsStopOnlyWithoutDependents = false;
        plat::DWORD refuseStart = 0;
        plat::DWORD openError = 0;
        int failingQueries = 0;
        bool nullNameInEnumeration = false;
        // The transition under way.
        plat::DWORD target = 0;
        int pollsLeft = 0;
        // Windows' own terms: a transition that takes a (virtual) time, what the service
        // reports meanwhile, and how it ends.
        uint32_t pendingMs = 0;        // 0: the count of status queries above decides
        uint64_t pendingSince = 0;     // the clock when the transition began
        plat::DWORD waitHint = 2000;   // reported while pending
        plat::DWORD failStartCode = 0; // the start ends STOPPED with this exit code
        plat::DWORD failStartSpecific = 0;
        bool endsAtOnce = false; // the process ends before it reports: StartService fails
        bool stopFails = false;  // a stop ends back in RUNNING
        plat::DWORD exitCode = 0;
        plat::DWORD specificExitCode = 0;
    };

    // Fluent set-up of one service; every method returns the builder.
    class ServiceBuilder {
      public:
        ServiceBuilder(SimServices& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
        ServiceBuilder& Running() { return State(plat::SERVICE_RUNNING); }
        ServiceBuilder& Stopped() { return State(plat::SERVICE_STOPPED); }
        ServiceBuilder& Paused() { return State(plat::SERVICE_PAUSED); }
        ServiceBuilder& State(plat::DWORD state);
        ServiceBuilder& DisplayName(const std::string& text);
        // Records the dependencies with the manager and as a REG_MULTI_SZ DependOnService.
        ServiceBuilder& DependsOn(const std::vector<std::string>& names);
        // Only the manager learns of the dependencies; the registry is left to the test.
        ServiceBuilder& DependsOnWithoutRegistry(const std::vector<std::string>& names);
        ServiceBuilder& SettlesAfter(int polls);
        ServiceBuilder& NeverSettles();
        // Windows' way: each start and stop stays pending for ms of virtual time (Sleep moves
        // it), reporting waitHint and a check point that advances each second.
        ServiceBuilder& PendingFor(uint32_t ms, plat::DWORD waitHint = 2000);
        // The start ends in SERVICE_STOPPED with this exit code (1066 carries specific).
        ServiceBuilder& FailsWhileStarting(plat::DWORD win32ExitCode, plat::DWORD specific = 0);
        // The service's process ends before it reports: StartService fails with 1053.
        ServiceBuilder& ProcessEndsAtOnce();
        // A stop is accepted but the service goes back to RUNNING.
        ServiceBuilder& StopFails();
        ServiceBuilder& RefusesControl(plat::DWORD code);
        ServiceBuilder& DoesNotAcceptStop();
        ServiceBuilder& AcceptsStopOnlyOnceDependentsStopped();
        ServiceBuilder& RefusesStart(plat::DWORD code);
        ServiceBuilder& CannotBeOpened(plat::DWORD code);
        ServiceBuilder& FailsQueries(int count);
        ServiceBuilder& EnumeratedWithoutName();

      private:
        Service& Get();
        SimServices& owner_;
        std::string name_;
    };

    SimServices(SimKernel& kernel, SimRegistry& registry) : kernel_(kernel), registry_(registry) {}

    plat::SC_HANDLE OpenSCManager(const char* machineName, const char* databaseName,
                                  plat::DWORD access) override;
    plat::SC_HANDLE OpenService(plat::SC_HANDLE manager, const char* serviceName,
                                plat::DWORD access) override;
    plat::BOOL QueryServiceStatus(plat::SC_HANDLE service, plat::SERVICE_STATUS* status) override;
    plat::BOOL ControlService(plat::SC_HANDLE service, plat::DWORD control,
                              plat::SERVICE_STATUS* status) override;
    plat::BOOL StartService(plat::SC_HANDLE service, plat::DWORD argc, const char** argv) override;
    plat::BOOL EnumServicesStatus(plat::SC_HANDLE manager, plat::DWORD serviceType, plat::DWORD serviceState,
                                  void* buffer, plat::DWORD bufferSize, plat::DWORD* bytesNeeded,
                                  plat::DWORD* servicesReturned, plat::DWORD* resumeHandle) override;
    plat::BOOL GetServiceDisplayName(plat::SC_HANDLE manager, const char* serviceName,
                                     std::string* displayName) override;
    plat::BOOL CloseServiceHandle(plat::SC_HANDLE handle) override;

    // Adds a service (stopped) with its registry key, or returns the builder of an existing one.
    ServiceBuilder Add(const std::string& name);
    bool Exists(const std::string& name) const { return Find(name) != nullptr; }
    plat::DWORD StateOf(const std::string& name) const;
    void SetState(const std::string& name, plat::DWORD state);
    // Every service in a pending state reaches the state it was heading for; how many did.
    int FinishPendingTransitions();
    void FailOpenManager(plat::DWORD code) { managerOpenError_ = code; }
    // Every enumeration call fails with code (0 ends the fault).
    void FailEnumeration(plat::DWORD code) { enumError_ = code; }
    // Windows refuses to stop a service while a service that depends on it runs; on by default.
    void RefuseStopWhileDependentsRun(bool on) { refuseStopWithDependents_ = on; }
    // The order EnumServicesStatus lists services in: Windows promises none.
    enum class EnumOrder { UpperCase, LowerCase, Reverse };
    void SetEnumerationOrder(EnumOrder order) { enumOrder_ = order; }
    // Windows starts what a service depends on before the service itself; on by default.
    void StartDependenciesFirst(bool on) { startDependencies_ = on; }

    // Called with each call as it is recorded, before it is carried out.
    std::function<void(const Call&)> OnCall;
    // The calling process has ended: every call fails and its handles are gone.
    void SetCallerGone(bool gone) {
        callerGone_ = gone;
        if (gone) handles_.clear();
    }

    int OpenHandleCount() const { return static_cast<int>(handles_.size()); }
    int ServiceHandleCount() const;
    const std::vector<Call>& Calls() const { return calls_; }
    // The services named by every call of one operation, in order.
    std::vector<std::string> CallsTo(const std::string& op) const;
    const std::vector<std::string>& Actions() const { return actions_; }
    void ClearLog();

  private:
    struct Handle {
        Service* service; // null for a manager handle
        plat::DWORD access;
    };

    Service* Find(const std::string& name) const;
    Service* ServiceOf(plat::SC_HANDLE handle);
    bool IsManager(plat::SC_HANDLE handle) const;
    bool AccessCheck(bool manager, plat::DWORD desired, plat::DWORD* granted) const;
    bool HandleAllows(plat::SC_HANDLE handle, plat::DWORD right) const;
    plat::SC_HANDLE NewHandle(Service* service, plat::DWORD access);
    plat::BOOL Fail(plat::DWORD code);
    bool Gone();
    void Fill(const Service& s, plat::SERVICE_STATUS* status) const;
    bool HasRunningDependents(const Service& s) const;
    bool AcceptsStopNow(const Service& s) const;
    plat::DWORD BeginStart(Service& s, int depth);
    void Begin(Service& s, plat::DWORD pending, plat::DWORD target);
    void Advance(Service& s);
    void Arrive(Service& s);
    std::vector<Service*> Enumerated(plat::DWORD serviceState) const;

    SimKernel& kernel_;
    SimRegistry& registry_;
    std::vector<std::unique_ptr<Service>> services_;
    std::map<plat::SC_HANDLE, Handle> handles_;
    plat::SC_HANDLE nextHandle_ = 0x5000;
    plat::DWORD managerOpenError_ = 0;
    plat::DWORD enumError_ = 0;
    bool refuseStopWithDependents_ = true;
    bool startDependencies_ = true;
    EnumOrder enumOrder_ = EnumOrder::UpperCase;
    bool callerGone_ = false;
    std::vector<Call> calls_;
    std::vector<std::string> actions_;
};

} // namespace sim
