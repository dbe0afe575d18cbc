#include "platform/sim/sim_kernel.h"

#include <algorithm>

namespace sim {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasWildcard(const std::string& path) {
    return path.find_first_of("?*") != std::string::npos;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (IsSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

} // namespace

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool SameText(const std::string& a, const std::string& b) {
    return CompareNoCase(a, b) == 0;
}

int CompareNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]));
        const auto y = static_cast<unsigned char>(Lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

SimKernel::SimKernel() {
    // FormatMessage's English texts, line end included as Windows gives them.
    messages_ = {
        {plat::ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
        {plat::ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
        {plat::ERROR_NOT_SUPPORTED, "The request is not supported.\r\n"},
        {plat::ERROR_DEPENDENT_SERVICES_RUNNING,
         "A stop control has been sent to a service that other running services are dependent on.\r\n"},
        {plat::ERROR_INVALID_SERVICE_CONTROL, "The requested control is not valid for this service.\r\n"},
        {plat::ERROR_SERVICE_REQUEST_TIMEOUT,
         "The service did not respond to the start or control request in a timely fashion.\r\n"},
        {plat::ERROR_SERVICE_DISABLED,
         "The service cannot be started, either because it is disabled or because it has no enabled devices "
         "associated with it.\r\n"},
        {plat::ERROR_SERVICE_DOES_NOT_EXIST,
         "The specified service does not exist as an installed service.\r\n"},
        {plat::ERROR_SERVICE_CANNOT_ACCEPT_CTRL,
         "The service cannot accept control messages at this time.\r\n"},
        {plat::ERROR_SERVICE_NOT_ACTIVE, "The service has not been started.\r\n"},
        {plat::ERROR_SERVICE_DEPENDENCY_FAIL, "The dependency service or group failed to start.\r\n"},
    };
    // rule: formatmessage-localized-texts
    localizedMessages_["de"] = {
        {plat::ERROR_ACCESS_DENIED, "Zugriff verweigert\r\n"},
        {plat::ERROR_SERVICE_DISABLED,
         "Der angegebene Dienst kann nicht gestartet werden. Er ist deaktiviert oder "
         "nicht mit aktivierten Geräten verbunden.\r\n"},
        {plat::ERROR_DEPENDENT_SERVICES_RUNNING,
         "Ein Stoppsteuerelement wurde an einen Dienst gesendet, von dem "
         "andere aktive Dienste abhängig sind.\r\n"},
    };
    localizedMessages_["ja"] = {
        {plat::ERROR_ACCESS_DENIED, "アクセスが拒否されました。\r\n"},
        {plat::ERROR_SERVICE_DISABLED,
         "サービスを開始できません。サービスが無効であるか、または有効なデバイスが関連付け"
         "られていない可能性があります。\r\n"},
        {plat::ERROR_DEPENDENT_SERVICES_RUNNING,
         "他の実行中のサービスが依存しているサービスに、停止制御が送信されました。\r\n"},
    };
    localizedMessages_["pt-BR"] = {
        {plat::ERROR_ACCESS_DENIED, "Acesso negado.\r\n"},
        {plat::ERROR_SERVICE_DISABLED,
         "O serviço não pode ser iniciado, porque está desabilitado ou porque não tem "
         "dispositivos habilitados associados a ele.\r\n"},
        {plat::ERROR_DEPENDENT_SERVICES_RUNNING,
         "Um controle de parada foi enviado para um serviço do qual outros "
         "serviços em execução dependem.\r\n"},
    };
}

void SimKernel::SetSystemMessage(plat::DWORD code, const std::string& text) {
    if (text.empty())
        messages_.erase(code);
    else
        messages_[code] = text;
}

std::string SimKernel::FormatMessage(plat::DWORD code, const std::string& language) {
    // The table of a language tag: its own, or its language's ("pt-PT" has none, "de-AT" is "de").
    auto tableOf = [this](const std::string& tag) -> const std::map<plat::DWORD, std::string>* {
        if (tag.rfind("en", 0) == 0) return &messages_;
        for (const auto& [name, table] : localizedMessages_)
            if (CompareNoCase(tag, name) == 0 || CompareNoCase(tag.substr(0, tag.find('-')), name) == 0)
                return &table;
        return nullptr;
    };
    auto find = [code](const std::map<plat::DWORD, std::string>* table) -> const std::string* {
        if (!table) return nullptr;
        const auto it = table->find(code);
        return it == table->end() ? nullptr : &it->second;
    };
    const std::string* found = nullptr;
    if (!language.empty()) {
        // rule: formatmessage-language-only
        bool installed = language.rfind("en", 0) == 0;
        for (const auto& shown : displayLanguages_)
            installed = installed || CompareNoCase(shown.substr(0, shown.find('-')),
                                                   language.substr(0, language.find('-'))) == 0;
        const auto* table = installed ? tableOf(language) : nullptr;
        if (!table) {
            lastError_ = plat::ERROR_RESOURCE_LANG_NOT_FOUND;
            return {};
        }
        found = find(table);
    } else {
        // rule: formatmessage-language-order
        for (const auto& shown : displayLanguages_)
            if (!found) found = find(tableOf(shown));
        if (!found) found = find(&messages_);
    }
    if (!found) {
        lastError_ = plat::ERROR_MR_MID_NOT_FOUND;
        return {};
    }
    std::string text = *found;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

void SimKernel::GetLocalTime(plat::SYSTEMTIME* time) {
    const uint64_t ms = StartOfTimeMs + now_;
    // Days to the civil date (proleptic Gregorian), after H. Hinnant's days_from_civil inverse.
    const int64_t z = StartOfTimeDays + static_cast<int64_t>(ms / 86400000) + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const uint64_t inDay = ms % 86400000;
    time->wYear = static_cast<uint16_t>(year);
    time->wMonth = static_cast<uint16_t>(month);
    time->wDay = static_cast<uint16_t>(day);
    time->wDayOfWeek = static_cast<uint16_t>((StartOfTimeDays + static_cast<int64_t>(ms / 86400000) + 4) % 7);
    time->wHour = static_cast<uint16_t>(inDay / 3600000);
    time->wMinute = static_cast<uint16_t>(inDay / 60000 % 60);
    time->wSecond = static_cast<uint16_t>(inDay / 1000 % 60);
    time->wMilliseconds = static_cast<uint16_t>(inDay % 1000);
}

void SimKernel::Sleep(plat::DWORD milliseconds) {
    sleeps_.push_back(milliseconds);
    now_ += milliseconds;
}

plat::BOOL SimKernel::SetCurrentDirectory(const char* path) {
    if (path == nullptr || *path == '\0') {
        lastError_ = plat::ERROR_INVALID_PARAMETER;
        return 0;
    }
    if (!IsUtf8(path)) {
        lastError_ = plat::ERROR_NO_UNICODE_TRANSLATION;
        return 0;
    }
    const std::string full = FullPath(path);
    if (HasWildcard(full)) {
        lastError_ = plat::ERROR_INVALID_NAME;
        return 0;
    }
    for (const auto& missing : missingFolders_) {
        if (SameText(missing, full)) {
            lastError_ = plat::ERROR_PATH_NOT_FOUND;
            return 0;
        }
    }
    currentDirectory_ = full;
    return 1;
}

void SimKernel::AddMissingFolder(const std::string& path) {
    missingFolders_.push_back(FullPath(path));
}

bool SimKernel::IsMissingFolder(const std::string& path) const {
    const std::string full = FullPath(path);
    if (HasWildcard(full)) return true;
    // A folder inside a missing one is missing too.
    for (const auto& missing : missingFolders_)
        if (SameText(missing, full) ||
            (full.size() > missing.size() && SameText(full.substr(0, missing.size()), missing) &&
             IsSeparator(full[missing.size()])))
            return true;
    return false;
}

void SimKernel::RemoveMissingFolder(const std::string& path) {
    const std::string full = FullPath(path);
    std::erase_if(missingFolders_, [&](const std::string& m) { return SameText(m, full); });
}

// "C:" or "\\server\share": the part of a full path that ".." never leaves.
static size_t RootLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return 2;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t end = 2;
        for (int parts = 0; parts < 2 && end <= path.size(); ++parts) {
            while (end < path.size() && !IsSeparator(path[end]))
                ++end;
            if (parts == 0) ++end;
        }
        return std::min(end, path.size());
    }
    return 0;
}

std::string SimKernel::FullPath(const std::string& path) const {
    std::string start;
    std::string rest;
    if (const size_t root = RootLength(path)) {
        start = path.substr(0, root);
        for (char& c : start)
            if (c == '/') c = '\\';
        rest = path.substr(root);
    } else {
        const size_t currentRoot = std::max<size_t>(RootLength(currentDirectory_), 2);
        start = currentDirectory_.substr(0, currentRoot);
        rest = !path.empty() && IsSeparator(path[0]) ? path
                                                     : currentDirectory_.substr(currentRoot) + "\\" + path;
    }
    std::vector<std::string> kept;
    for (const auto& part : SplitPath(rest)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string full = start;
    for (const auto& part : kept)
        full += "\\" + part;
    if (kept.empty()) full += "\\";
    return full;
}

std::string SimKernel::GetEnvironmentVariable(const char* name) {
    if (!name) return {};
    auto it = environment_.find(Upper(name));
    if (it == environment_.end()) {
        lastError_ = 203; // ERROR_ENVVAR_NOT_FOUND
        return {};
    }
    return it->second;
}

void SimKernel::SetEnvironmentVariable(const std::string& name, const std::string& value) {
    environment_[Upper(name)] = value;
}

std::string SimKernel::MutexKey(const std::string& name, Session session) {
    // rule: mutex-name-case-sensitive
    // rule: mutex-namespace-sessions
    if (name.rfind("Global\\", 0) == 0) return name;
    const std::string local = name.rfind("Local\\", 0) == 0 ? name.substr(6) : name;
    return (session == Session::This ? "Session1\\" : "Session2\\") + local;
}

bool SimKernel::Exists(const Mutex& m) const {
    const bool otherOwnerAlive = m.ownedElsewhere && (!m.elsewhereUntil || *m.elsewhereUntil > now_);
    return m.handles > 0 || m.heldElsewhere > 0 || otherOwnerAlive;
}

plat::HANDLE SimKernel::CreateMutex(const char* name) {
    const plat::HANDLE h = nextHandle_;
    // An unnamed mutex is never shared: it gets a name nobody else can ask for.
    const std::string key =
        name && *name ? MutexKey(name, Session::This) : "<unnamed " + std::to_string(h) + ">";
    Mutex& m = mutexes_[key];
    const bool existed = Exists(m);
    // rule: mutex-elevated-denies-unelevated
    if (existed && m.deniesUnelevated && !elevated_) {
        lastError_ = plat::ERROR_ACCESS_DENIED;
        return 0;
    }
    nextHandle_ += 4;
    ++m.handles;
    handles_[h] = KernelObject{key, 0, {}, {}};
    // rule: mutex-already-exists
    lastError_ = existed ? plat::ERROR_ALREADY_EXISTS : plat::ERROR_SUCCESS;
    return h;
}

bool SimKernel::MutexExists(const char* name) {
    if (!name) return false;
    auto it = mutexes_.find(MutexKey(name, Session::This));
    return it != mutexes_.end() && Exists(it->second);
}

plat::BOOL SimKernel::ReleaseMutex(plat::HANDLE mutex) {
    auto it = handles_.find(mutex);
    if (it == handles_.end() || it->second.mutexName.empty()) {
        lastError_ = plat::ERROR_INVALID_HANDLE;
        return 0;
    }
    Mutex& m = mutexes_[it->second.mutexName];
    // rule: mutex-release-not-owner
    if (m.ownerThread != thread_) {
        lastError_ = 288; // ERROR_NOT_OWNER
        return 0;
    }
    // rule: mutex-recursive-ownership
    if (--m.recursion <= 0) {
        m.recursion = 0;
        m.ownerThread = 0;
    }
    return 1;
}

void SimKernel::RunOnThread(const std::function<void()>& body) {
    const int caller = thread_;
    const int self = nextThread_++;
    thread_ = self;
    body();
    thread_ = caller;
    // rule: mutex-abandoned
    for (auto& [key, m] : mutexes_) {
        if (m.ownerThread != self) continue;
        m.ownerThread = 0;
        m.recursion = 0;
        m.abandoned = true;
    }
}

void SimKernel::HoldMutexElsewhere(const std::string& name, bool held, bool deniesUnelevated) {
    Mutex& m = mutexes_[MutexKey(name, Session::This)];
    m.heldElsewhere = held ? m.heldElsewhere + 1 : std::max(0, m.heldElsewhere - 1);
    if (held) m.deniesUnelevated = m.deniesUnelevated || deniesUnelevated;
}

void SimKernel::OwnMutexElsewhere(const std::string& name, std::optional<uint64_t> forMs, Session session,
                                  bool deniesUnelevated, bool diesOwning) {
    Mutex& m = mutexes_[MutexKey(name, session)];
    m.ownedElsewhere = true;
    m.elsewhereDiesOwning = diesOwning;
    m.elsewhereUntil = forMs ? std::optional<uint64_t>(now_ + *forMs) : std::nullopt;
    m.deniesUnelevated = deniesUnelevated;
}

void SimKernel::MapDrive(const std::string& drive, const std::string& unc) {
    mappedDrives_[Upper(drive.substr(0, 2))] = unc;
}

bool SimKernel::OnMappedDrive(const std::string& path) const {
    return path.size() >= 2 && path[1] == ':' && mappedDrives_.count(Upper(path.substr(0, 2)));
}

std::string SimKernel::WithoutMappedDrive(const std::string& path) const {
    if (!OnMappedDrive(path)) return path;
    const std::string& unc = mappedDrives_.at(Upper(path.substr(0, 2)));
    return unc.empty() ? path : unc + path.substr(2);
}

plat::DWORD SimKernel::GetUniversalPath(const std::string& path, std::string* universal) {
    if (OnMappedDrive(path) && mappedDrives_.at(Upper(path.substr(0, 2))).empty())
        return plat::ERROR_NOT_CONNECTED;
    if (universal) *universal = WithoutMappedDrive(path);
    return 0;
}

plat::HANDLE SimKernel::AddEndedProcess(plat::DWORD exitCode) {
    const plat::HANDLE h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = KernelObject{{}, exitCode, {}, {}};
    return h;
}

plat::HANDLE SimKernel::StartProcess(uint64_t runsForMs, std::function<plat::DWORD()> entry) {
    const plat::HANDLE h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = KernelObject{{}, plat::STILL_ACTIVE, now_ + runsForMs, std::move(entry)};
    return h;
}

void SimKernel::EndProcess(KernelObject& process) {
    auto entry = std::move(process.entry);
    process.endsAt.reset();
    process.entry = nullptr;
    process.exitCode = entry ? entry() : 0;
}

void SimKernel::RunDueProcesses() {
    for (bool ran = true; ran;) {
        ran = false;
        for (auto& [h, object] : handles_) {
            if (object.endsAt && *object.endsAt <= now_) {
                EndProcess(object); // may start or end others: look again from the start
                ran = true;
                break;
            }
        }
        for (auto it = detached_.begin(); !ran && it != detached_.end(); ++it) {
            if (*it->endsAt <= now_) {
                KernelObject process = std::move(*it);
                detached_.erase(it);
                EndProcess(process);
                ran = true;
            }
        }
    }
}

plat::DWORD SimKernel::WaitForSingleObject(plat::HANDLE handle, plat::DWORD milliseconds) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) {
        lastError_ = plat::ERROR_INVALID_HANDLE;
        return plat::WAIT_FAILED;
    }
    const bool forEver = milliseconds == plat::INFINITE;
    const uint64_t deadline = forEver ? UINT64_MAX : now_ + milliseconds;
    if (it->second.mutexName.empty()) {
        if (!it->second.endsAt) return plat::WAIT_OBJECT_0;
        if (*it->second.endsAt > deadline) {
            now_ = deadline;
            return plat::WAIT_TIMEOUT;
        }
        now_ = std::max(now_, *it->second.endsAt);
        EndProcess(it->second);
        return plat::WAIT_OBJECT_0;
    }
    Mutex& m = mutexes_[it->second.mutexName];
    if (m.ownerThread == thread_) { // rule: mutex-recursive-ownership
        ++m.recursion;
        return plat::WAIT_OBJECT_0;
    }
    if (m.ownerThread != 0) {
        // Another thread of this process owns it; the simulation runs one thread at a time,
        // so that owner cannot let it go while this one waits.
        if (forEver) {
            lastError_ = plat::ERROR_INVALID_HANDLE; // would never return: a fault of the test
            return plat::WAIT_FAILED;
        }
        now_ = deadline;
        return plat::WAIT_TIMEOUT;
    }
    if (m.ownedElsewhere && (!m.elsewhereUntil || *m.elsewhereUntil > now_)) {
        if (!m.elsewhereUntil && forEver) {
            lastError_ = plat::ERROR_INVALID_HANDLE; // would never return: a fault of the test
            return plat::WAIT_FAILED;
        }
        if (!m.elsewhereUntil || *m.elsewhereUntil > deadline) {
            now_ = deadline;
            return plat::WAIT_TIMEOUT;
        }
        now_ = *m.elsewhereUntil;
    }
    if (m.ownedElsewhere && m.elsewhereDiesOwning) m.abandoned = true;
    m.ownedElsewhere = false;
    m.ownerThread = thread_;
    m.recursion = 1;
    // rule: mutex-abandoned
    const bool abandoned = m.abandoned;
    m.abandoned = false;
    return abandoned ? plat::WAIT_ABANDONED : plat::WAIT_OBJECT_0;
}

plat::BOOL SimKernel::GetExitCodeProcess(plat::HANDLE process, plat::DWORD* exitCode) {
    auto it = handles_.find(process);
    if (it == handles_.end() || !it->second.mutexName.empty()) {
        lastError_ = plat::ERROR_INVALID_HANDLE;
        return 0;
    }
    if (exitCode) *exitCode = it->second.endsAt ? plat::STILL_ACTIVE : it->second.exitCode;
    return 1;
}

plat::BOOL SimKernel::CloseHandle(plat::HANDLE handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) {
        lastError_ = plat::ERROR_INVALID_HANDLE;
        return 0;
    }
    if (!it->second.mutexName.empty()) {
        auto m = mutexes_.find(it->second.mutexName);
        if (m != mutexes_.end()) {
            // The last handle of this process goes: a mutex it owned is released with it.
            if (--m->second.handles <= 0) m->second.ownerThread = m->second.recursion = 0;
            if (!Exists(m->second)) mutexes_.erase(m);
        }
    }
    // A process goes on running when its last handle is closed.
    if (it->second.endsAt) detached_.push_back(std::move(it->second));
    handles_.erase(it);
    return 1;
}

} // namespace sim
