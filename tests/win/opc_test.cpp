// OPC access end to end: the library's connection and browse code over the real COM platform,
// against opcsim.dll, an in-process COM server that the program registers in its own Wine prefix.
// The rules themselves are covered natively over the stand-in platform; these cases check that
// the Windows side (registry, CoCreateInstanceEx, the browse interface, code pages) keeps them.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <cctype>
#include <string>
#include <thread>
#include <vector>

#include "opc/browse_view.h"
#include "opc/connect.h"
#include "opc/opc_util.h"
#include "opcsim_classes.h"
#include "opcsim_fixture.h"
#include "platform/memory/memory_tree.h"
#include "tagcfg_api.h"

using namespace tagcfg;

namespace wintest {
namespace {

using Texts = std::vector<std::string>;

const char *clsid_of(const char *progid) { return opcsim::server_class(progid)->clsid; }

RecordRef<ServerConfig> make_server(const std::string &progid = "", const std::string &clsid = "") {
    RecordRef<ServerConfig> server(new ServerConfig);
    server->progid = progid;
    server->clsid = clsid;
    return server;
}

// The computer's own name with the case of every letter turned round; empty when it has none.
std::string own_name_in_other_case() {
    char name[256];
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return "";
    std::string swapped(name, size);
    for (char &c : swapped) {
        auto u = static_cast<unsigned char>(c);
        c = static_cast<char>(std::isupper(u) ? std::tolower(u) : std::toupper(u));
    }
    return swapped == std::string(name, size) ? "" : swapped;
}

// Every case runs in a single-threaded apartment, as the host's user-interface thread does.
class OpcAccess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim().registered()) << "opcsim.dll is missing or its DllRegisterServer failed";
        ASSERT_TRUE(com_.entered()) << std::hex << com_.result();
    }
    static OpcSim &sim() { return OpcSim::get(); }

private:
    ComApartment com_;
};

// The default value (null name) or a named value of a key under HKCR.
std::string registry_text(const std::string &key, const char *name = nullptr) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return "(no key)";
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1, type = 0;
    LSTATUS status = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS && type == REG_SZ ? value : "(absent)";
}

TEST_F(OpcAccess, RegistrationDescribesEveryClassAsServerBrowsersReadIt) {
    for (const opcsim::ServerClass &c : opcsim::kServerClasses) {
        const std::string progid = c.progid, clsid_key = std::string("CLSID\\") + c.clsid;
        EXPECT_EQ(registry_text(progid + "\\CLSID"), c.clsid) << progid;
        EXPECT_EQ(registry_text(progid), c.description ? c.description : "(absent)") << progid;
        EXPECT_EQ(registry_text(progid + "\\OPC") != "(no key)", c.opc) << progid;
        EXPECT_EQ(registry_text(clsid_key + "\\ProgID"), progid);
        EXPECT_EQ(lstrcmpiA(registry_text(clsid_key + "\\InprocServer32").c_str(), library_path("opcsim.dll").c_str()),
                  0)
            << progid;
        EXPECT_EQ(registry_text(clsid_key + "\\InprocServer32", "ThreadingModel"), "Both") << progid;
    }
}

TEST_F(OpcAccess, CreatesByClsidTextOrProgIdAndReusesTheHeldObject) {
    long before = sim().created();
    // The two classes tell themselves apart by their organisation; the CLSID text wins.
    auto flat_by_clsid = make_server("OpcSim.Hierarchical.1", clsid_of("OpcSim.Flat.1"));
    auto hierarchical_by_progid = make_server("OpcSim.Hierarchical.1");
    for (auto *server : {&flat_by_clsid, &hierarchical_by_progid}) {
        ui::MemoryTree tree;
        BrowseView view(tree);
        view.open(**server, connect_server(**server));
        ASSERT_TRUE(view.can_browse()) << (*server)->clsid;
        EXPECT_EQ(view.namespace_type(),
                  server == &flat_by_clsid ? platform::kOpcFlatSpace : platform::kOpcHierarchical);
    }
    EXPECT_EQ(sim().created(), before + 2);
    platform::ServerObject *held = flat_by_clsid->server_object;
    ASSERT_TRUE(connect_server(*flat_by_clsid));
    EXPECT_EQ(flat_by_clsid->server_object, held);
    EXPECT_EQ(sim().created(), before + 2);
}

TEST_F(OpcAccess, ConfigurationsNamingNoUsableClassOrHostStayUnconnected) {
    long before = sim().created();
    auto unknown_host = make_server("OpcSim.Hierarchical.1");
    unknown_host->hostname = "opcsim-no-such-host";
    const RecordRef<ServerConfig> cases[] = {
        make_server(),
        make_server("OpcSim.NotRegistered.1"),
        make_server("OpcSim.Hierarchical.1", "{not a class id}"),   // the CLSID text decides alone
        make_server("", "6A3F1C20-5B7E-4D2A-9E01-0C5D1A000001"),    // the registry form is braced
        make_server("", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A0000FF}"),  // no such class
        unknown_host,
    };
    for (const auto &server : cases) {
        EXPECT_FALSE(connect_server(*server)) << server->progid << " " << server->clsid << " " << server->hostname;
        EXPECT_EQ(server->server_object, nullptr);
    }
    EXPECT_EQ(sim().created(), before);
}

TEST_F(OpcAccess, AHostChangeReleasesTheObjectAndTheOwnNameInOtherCaseConnectsLocally) {
    const std::string own_name = own_name_in_other_case();
    if (own_name.empty()) GTEST_SKIP() << "the computer's name has no letters";
    auto server = make_server("OpcSim.Hierarchical.1");
    ASSERT_TRUE(connect_server(*server));
    auto old_object = reinterpret_cast<IUnknown *>(server->server_object);
    old_object->AddRef();
    // What tagcfg_set_server_host does with a host text that differs from the stored one.
    disconnect_server(*server);
    server->hostname = own_name;
    EXPECT_EQ(old_object->Release(), 0u) << "the configuration kept a reference to the old object";
    // Remote creation fails at once under Wine, so success here means the local path was taken.
    long created = sim().created();
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(sim().created(), created + 1);
}

TEST_F(OpcAccess, AThreadOutsideComFailsCleanly) {
    auto server = make_server("OpcSim.Hierarchical.1");
    bool connected = true, implicit_apartment = false;
    std::thread([&] {
        // Once any thread has entered the multithreaded apartment, COM lets every thread use it.
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        implicit_apartment = SUCCEEDED(CoGetApartmentType(&type, &qualifier));
        connected = connect_server(*server);
    }).join();
    if (implicit_apartment) {
        disconnect_server(*server);
        GTEST_SKIP() << "the process has a multithreaded apartment that every thread joins";
    }
    EXPECT_FALSE(connected);
    EXPECT_EQ(server->server_object, nullptr);
}

// Text from a server passes through the process's code page, whatever that is.
TEST_F(OpcAccess, NarrowTextIsThePlatformsOwnConversion) {
    // Characters of one to four bytes in a UTF-8 code page.
    const std::u16string wide = u"A\u00e9\u20ac\u4e2d\u0416\U0001F600\u20ac\u20ac";
    auto wide_text = reinterpret_cast<LPCWSTR>(wide.c_str());
    int needed = WideCharToMultiByte(CP_ACP, 0, wide_text, static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    ASSERT_GT(needed, 0);
    std::string expected(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide_text, static_cast<int>(wide.size()), &expected[0], needed, nullptr, nullptr);
    RecordProperty("ansi_code_page", static_cast<int>(GetACP()));
    std::string narrow;
    to_narrow(wide.c_str(), wide.size(), narrow);
    EXPECT_EQ(narrow, expected);
    std::u16string back;
    to_wide(expected.c_str(), expected.size(), back);
    EXPECT_EQ(back.size(), static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, expected.c_str(), needed, nullptr, 0)));
}

// Browsing itself is worked through the dialogs' tests; these servers answer as no dialog shows.
TEST_F(OpcAccess, ServersWithoutBrowsingOrWithFaultsGiveNothingToLoopOn) {
    const struct {
        const char *progid;
        bool can_browse;
        Texts collected;
    } cases[] = {
        {"OpcSim.NoBrowse.1", false, {}},
        {"OpcSim.NullName.1", true, {}},                      // a null name ends the enumeration
        {"OpcSim.UpForever.1", true, {"Deep.Value", "Top"}},  // claims to move up for ever
    };
    for (const auto &c : cases) {
        auto server = make_server(c.progid);  // outlives the view, not the apartment
        ui::MemoryTree tree;
        BrowseView view(tree);
        view.insert_root_node(*server);
        view.open(*server, connect_server(*server));
        EXPECT_EQ(view.can_browse(), c.can_browse) << c.progid;
        EXPECT_EQ(tree.enabled(), c.can_browse) << c.progid;
        Texts ids;
        view.collect_item_ids(view.root_node(), [&](const std::string &id) { ids.push_back(id); });
        EXPECT_EQ(ids, c.collected) << c.progid;
    }
}

}  // namespace
}  // namespace wintest
