// The one-pass walk against the per-name reference walk over many generated registries.
#include <memory>
#include <random>

#include "dependents_reference.h"
#include "sharing_fixture.h"

using namespace plat;
using List = std::vector<std::string>;

namespace {

const std::string kServices = "SYSTEM\\CurrentControlSet\\Services";

// A registry drawn from a seed: services of every value type, fan-outs from none to many,
// circles and self-references, names in any case, doubled names, group entries, comma texts
// with blanks, semicolons and quotes, keys that cannot be opened or enumerated, values that
// change while they are read and, rarely, one whose data cannot be read.
class RandomWorld {
  public:
    explicit RandomWorld(uint32_t seed) : seed_(seed), random_(seed) {
        const int size = Roll(10) == 0 ? 150 + Roll(150) : 1 + Roll(60);
        for (int i = 0; i < size; ++i)
            names_.push_back(Roll(size) == 0 ? "LanmanServer" : "Svc" + std::to_string(i));
    }

    // The same seed each time, so both registries get the same world.
    void Build(sim::SimRegistry& registry) {
        random_.seed(seed_ * 7919u + 1u);
        registry.CreateKey(HKEY_LOCAL_MACHINE, kServices);
        for (const auto& name : names_)
            AddService(registry, name);
        if (Roll(100) == 0)
            registry.FailOpen(HKEY_LOCAL_MACHINE, kServices, static_cast<LONG>(ERROR_ACCESS_DENIED));
    }

    // A name to walk from: a service in any case, sometimes one nobody has, or none at all.
    std::string Root() {
        const int roll = Roll(20);
        if (roll == 0) return "";
        if (roll == 1) return "NoSuchService";
        return Spelled(names_[Roll(static_cast<int>(names_.size()))]);
    }
    int Roll(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

  private:
    std::string Spelled(std::string name) {
        const int roll = Roll(6);
        for (char& c : name)
            if (roll == 0 && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (roll == 1 && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return name;
    }

    List Items() {
        List items;
        const int fanOut = Roll(8) == 0 ? Roll(25) : Roll(5);
        for (int i = 0; i < fanOut; ++i) {
            const int roll = Roll(20);
            if (roll == 0)
                items.push_back("+NetworkProvider");
            else if (roll == 1)
                items.push_back("Tcpip");
            else if (roll == 2 && !items.empty())
                items.push_back(Spelled(items[Roll(static_cast<int>(items.size()))]));
            else
                items.push_back(Spelled(names_[Roll(static_cast<int>(names_.size()))]));
        }
        return items;
    }

    std::vector<uint8_t> MultiString(const List& items) {
        std::vector<uint8_t> data;
        for (const auto& item : items) {
            data.insert(data.end(), item.begin(), item.end());
            data.push_back(0);
        }
        const int ending = Roll(6);
        if (ending == 0 && !data.empty())
            data.pop_back(); // no NUL after the last item
        else if (ending != 1)
            data.push_back(0); // ending 1: no closing empty string
        return data;
    }

    std::vector<uint8_t> CommaText(const List& items) {
        static const char* const separators[] = {",", " ", ", ", " , ", ";", ",,", "\t", ",\r\n"};
        std::string text = Roll(4) == 0 ? "  " : "";
        for (size_t i = 0; i < items.size(); ++i) {
            if (i > 0) text += separators[Roll(8)];
            const int quoting = Roll(8);
            if (quoting == 0)
                text += "\"" + items[i] + "\"";
            else if (quoting == 1)
                text += "\"" + items[i] + " \"\"x\"\"\"";
            else
                text += items[i];
        }
        std::vector<uint8_t> data(text.begin(), text.end());
        if (Roll(5) != 0) data.push_back(0);
        return data;
    }

    void AddService(sim::SimRegistry& registry, const std::string& name) {
        const std::string key = kServices + "\\" + name;
        registry.CreateKey(HKEY_LOCAL_MACHINE, key);
        const int kind = Roll(100);
        DWORD type = REG_MULTI_SZ;
        std::vector<uint8_t> data;
        if (kind < 15) {
            // no value
        } else if (kind < 60) {
            data = MultiString(Items());
        } else if (kind < 75) {
            type = REG_SZ;
            data = CommaText(Items());
        } else if (kind < 94) {
            static const DWORD others[] = {REG_EXPAND_SZ, REG_DWORD, REG_BINARY, REG_NONE,
                                           11 /* REG_QWORD */};
            type = others[Roll(5)];
            data = Roll(2) ? CommaText(Items()) : MultiString(Items());
        } else {
            type = Roll(2) ? REG_SZ : REG_MULTI_SZ; // present but empty
        }
        if (kind >= 15) registry.SetValue(HKEY_LOCAL_MACHINE, key, "DependOnService", type, data);
        const int fault = Roll(200);
        if (fault < 6)
            registry.FailOpen(HKEY_LOCAL_MACHINE, key, static_cast<LONG>(ERROR_ACCESS_DENIED));
        else if (fault < 10)
            registry.FailSubkeyEnumeration(HKEY_LOCAL_MACHINE, key, static_cast<LONG>(ERROR_ACCESS_DENIED));
        else if (fault < 14 && !data.empty()) // an empty one would change only when read
            registry.ChangeValueBeforeRead(HKEY_LOCAL_MACHINE, key, "DependOnService", MultiString(Items()));
        else if (fault == 14 && kind >= 15)
            registry.FailValueRead(HKEY_LOCAL_MACHINE, key, "DependOnService",
                                   static_cast<LONG>(ERROR_ACCESS_DENIED));
    }

    uint32_t seed_;
    std::mt19937 random_;
    List names_;
};

class DependentsEquivalenceTest : public SharingTest {
  protected:
    void TearDown() override {
        os.table.registry = &os.registry;
        SharingTest::TearDown();
    }
    // The walk under test on one registry, the reference on the other: the same list, or the
    // same error with the list left as it was.
    template <typename OnePass, typename Reference>
    bool Same(const char* what, int seed, OnePass onePass, Reference ref, List& walked, List& expected) {
        std::string walkError = "none", refError = "none";
        os.table.registry = walkRegistry_.get();
        try {
            onePass();
        } catch (const KillServ::EKillServError& e) {
            walkError = e.what();
        }
        os.table.registry = refRegistry_.get();
        try {
            ref();
        } catch (const KillServ::EKillServError& e) {
            refError = e.what();
        }
        EXPECT_EQ(walkError, refError) << what << ", seed " << seed;
        EXPECT_EQ(walked, expected) << what << ", seed " << seed;
        return walkError == "none" && walked == expected;
    }

    std::unique_ptr<sim::SimRegistry> walkRegistry_;
    std::unique_ptr<sim::SimRegistry> refRegistry_;
};

TEST_F(DependentsEquivalenceTest, OnePassWalkCollectsExactlyWhatThePerNameWalkCollects) {
    int walks = 0, errors = 0, found = 0;
    for (int seed = 1; seed <= 400; ++seed) {
        walkRegistry_ = std::make_unique<sim::SimRegistry>();
        refRegistry_ = std::make_unique<sim::SimRegistry>();
        RandomWorld world(static_cast<uint32_t>(seed));
        world.Build(*walkRegistry_);
        world.Build(*refRegistry_);

        List expected;
        if (world.Roll(5) == 0)
            for (int i = world.Roll(4); i >= 0; --i)
                expected.push_back(world.Root());
        KillServ::DependentList = expected;
        for (int roots = 1 + world.Roll(3); roots > 0; --roots) {
            const std::string root = world.Root();
            ++walks;
            if (!Same(
                    "walk", seed, [&] { Worker().CollectDependents(root); },
                    [&] { reference::CollectDependents(root, expected); }, KillServ::DependentList,
                    expected)) {
                ++errors;
                break;
            }
            const std::string name = world.Root();
            List direct, directExpected;
            if (!Same(
                    "direct dependents", seed, [&] { direct = Worker().FindDependents(name); },
                    [&] { directExpected = reference::FindDependents(name); }, direct, directExpected))
                break;
        }
        found += static_cast<int>(expected.size());
        EXPECT_EQ(walkRegistry_->OpenHandleCount(), 0) << "seed " << seed;
        EXPECT_EQ(refRegistry_->OpenHandleCount(), 0) << "seed " << seed;
    }
    // The worlds are varied enough to mean something: many walks, some ended by an error,
    // plenty of dependents found.
    EXPECT_GT(walks, 700);
    EXPECT_GT(errors, 3);
    EXPECT_GT(found, 2000);
}

} // namespace
