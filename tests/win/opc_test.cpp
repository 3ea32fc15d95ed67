// OPC access end to end: the library's connection and browse logic against opcsim.dll, a real
// in-process COM server that the program registers in its own Wine prefix before the first case.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "opc/browse_view.h"
#include "opc/connect.h"
#include "opc/opc_util.h"
#include "opcsim_classes.h"
#include "opcsim_fixture.h"
#include "platform/sim/memory_tree.h"
#include "platform/win32/opc_interfaces.h"
#include "tagcfg_api.h"

using namespace tagcfg;

namespace wintest {
namespace {

const char *clsid_of(const char *progid) { return opcsim::server_class(progid)->clsid; }

RecordRef<ServerConfig> make_server(const std::string &progid = "", const std::string &clsid = "") {
    RecordRef<ServerConfig> server(new ServerConfig);
    server->progid = progid;
    server->clsid = clsid;
    return server;
}

IUnknown *as_unknown(const ServerConfig &server) { return reinterpret_cast<IUnknown *>(server.server_object); }

// The computer's own name with the case of every letter turned round.
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

// A browsing dialog's state without the dialog: a connected configuration, its tree and view.
// Declared inside a case, so the view's browse interface and the configuration's server object
// are released before the case leaves its apartment.
struct Browsing {
    RecordRef<ServerConfig> server;
    ui::MemoryTree tree;
    BrowseView view{tree};
    bool connected = false;

    explicit Browsing(const char *progid) : server(make_server(progid)) {
        tree.on_expanding = [this](ui::TreeNode node) { view.on_expanding(node); };
        connected = connect_server(*server);
        view.insert_root_node(*server);
        view.open(*server, connected);
    }
    ui::TreeNode root() const { return view.root_node(); }
    // The texts of a node's children, after opening it.
    std::vector<std::string> children(ui::TreeNode node) {
        tree.expand(node);
        std::vector<std::string> texts;
        for (ui::TreeNode child = tree.first_child(node); child; child = tree.next_sibling(child))
            texts.push_back(tree.text(child));
        return texts;
    }
    ui::TreeNode child(ui::TreeNode node, const std::string &text) {
        tree.expand(node);
        for (ui::TreeNode c = tree.first_child(node); c; c = tree.next_sibling(c))
            if (tree.text(c) == text) return c;
        return nullptr;
    }
    // The node at a "/"-separated path of texts below the root, opening the tree along it.
    ui::TreeNode at(const std::string &path) {
        ui::TreeNode node = root();
        size_t start = 0;
        while (node && start <= path.size()) {
            size_t end = path.find('/', start);
            if (end == std::string::npos) end = path.size();
            node = child(node, path.substr(start, end - start));
            start = end + 1;
        }
        return node;
    }
    std::string selected_path() { return tree.path(tree.selection()); }
    std::string item_id(ui::TreeNode node) {
        std::string id;
        return view.item_id_of_node(node, id) ? id : "(none)";
    }
    std::vector<std::string> collect_below(ui::TreeNode node) {
        std::vector<std::string> ids;
        if (view.move_to_node(node)) view.collect_item_ids([&](const std::string &id) { ids.push_back(id); });
        return ids;
    }
};

using Texts = std::vector<std::string>;

// --- Registration -------------------------------------------------------------------------------

// The default value (null name) or a named value of a key under HKCR; "(absent)" when missing.
std::string registry_text(const std::string &key, const char *name = nullptr) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return "(no key)";
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1, type = 0;
    LSTATUS status = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS && type == REG_SZ ? value : "(absent)";
}

bool registry_key_exists(const std::string &key) { return registry_text(key) != "(no key)"; }

TEST_F(OpcAccess, RegistrationDescribesEveryClassAsServerBrowsersReadIt) {
    for (const opcsim::ServerClass &c : opcsim::kServerClasses) {
        const std::string progid = c.progid, clsid_key = std::string("CLSID\\") + c.clsid;
        EXPECT_EQ(registry_text(progid + "\\CLSID"), c.clsid) << progid;
        EXPECT_EQ(registry_text(progid), c.description ? c.description : "(absent)") << progid;
        EXPECT_EQ(registry_key_exists(progid + "\\OPC"), c.opc) << progid;
        EXPECT_EQ(registry_text(clsid_key + "\\ProgID"), progid);
        EXPECT_EQ(lstrcmpiA(registry_text(clsid_key + "\\InprocServer32").c_str(),
                            library_path("opcsim.dll").c_str()),
                  0)
            << progid;
        EXPECT_EQ(registry_text(clsid_key + "\\InprocServer32", "ThreadingModel"), "Both") << progid;
    }
    EXPECT_FALSE(registry_key_exists("OpcSim.NotOpc.1\\OPC"));
    EXPECT_EQ(registry_text("OpcSim.NoDescription.1"), "(absent)");
}

// --- Creating server objects --------------------------------------------------------------------

TEST_F(OpcAccess, CreatesTheServerByClsidTextOrByProgId) {
    long before = sim().created();
    auto by_clsid = make_server("", clsid_of("OpcSim.Hierarchical.1"));
    ASSERT_TRUE(connect_server(*by_clsid));
    EXPECT_NE(by_clsid->server_object, nullptr);
    EXPECT_EQ(sim().created(), before + 1);

    auto by_progid = make_server("OpcSim.Flat.1");
    ASSERT_TRUE(connect_server(*by_progid));
    EXPECT_NE(by_progid->server_object, nullptr);
    EXPECT_EQ(sim().created(), before + 2);
}

TEST_F(OpcAccess, ClsidTextWinsOverAProgIdNamingAnotherClass) {
    // The two classes tell themselves apart by their organisation.
    auto flat_by_clsid = make_server("OpcSim.Hierarchical.1", clsid_of("OpcSim.Flat.1"));
    auto hierarchical_by_clsid = make_server("OpcSim.Flat.1", clsid_of("OpcSim.Hierarchical.1"));
    for (auto *server : {&flat_by_clsid, &hierarchical_by_clsid}) {
        ui::MemoryTree tree;
        BrowseView view(tree);
        view.open(**server, connect_server(**server));
        ASSERT_TRUE(view.can_browse()) << (*server)->clsid;
        EXPECT_EQ(view.namespace_type(), server == &flat_by_clsid ? platform::kOpcFlatSpace
                                                                  : platform::kOpcHierarchical);
    }
}

TEST_F(OpcAccess, AConfigurationThatNamesNoUsableClassStaysUnconnected) {
    long before = sim().created();
    const RecordRef<ServerConfig> cases[] = {
        make_server(),                                  // no identity: nothing to ask the platform
        make_server("OpcSim.NotRegistered.1"),
        make_server("OpcSim.Hierarchical.1", "{not a class id}"),  // the CLSID text decides alone
        make_server("", "6A3F1C20-5B7E-4D2A-9E01-0C5D1A000001"),   // the registry form is braced
        make_server("", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A0000FF}"),  // no such class
    };
    for (const auto &server : cases) {
        EXPECT_FALSE(connect_server(*server)) << server->progid << " " << server->clsid;
        EXPECT_EQ(server->server_object, nullptr);
    }
    EXPECT_EQ(sim().created(), before);
}

TEST_F(OpcAccess, ASecondConnectReusesTheHeldObject) {
    auto server = make_server("OpcSim.Hierarchical.1");
    ASSERT_TRUE(connect_server(*server));
    platform::ServerObject *held = server->server_object;
    long created = sim().created();
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(server->server_object, held);
    EXPECT_EQ(sim().created(), created);
}

TEST_F(OpcAccess, AHostChangeReleasesTheObjectAndTheOwnNameInOtherCaseConnectsLocally) {
    const std::string own_name = own_name_in_other_case();
    if (own_name.empty()) GTEST_SKIP() << "the computer's name has no letters";
    auto server = make_server("OpcSim.Hierarchical.1");
    ASSERT_TRUE(connect_server(*server));
    IUnknown *old_object = as_unknown(*server);
    old_object->AddRef();

    // What tagcfg_set_server_host does with a host text that differs from the stored one.
    ASSERT_NE(server->hostname, own_name);
    disconnect_server(*server);
    server->hostname = own_name;
    EXPECT_EQ(old_object->Release(), 0u) << "the configuration kept a reference to the old object";

    // Remote creation fails at once under Wine, so success here means the local path was taken.
    long created = sim().created();
    EXPECT_TRUE(is_local_host(own_name));
    ASSERT_TRUE(connect_server(*server));
    EXPECT_NE(server->server_object, nullptr);
    EXPECT_EQ(sim().created(), created + 1);
}

TEST_F(OpcAccess, AnUnknownHostFailsCleanly) {
    long before = sim().created();
    auto server = make_server("OpcSim.Hierarchical.1");
    server->hostname = "opcsim-no-such-host";
    EXPECT_FALSE(connect_server(*server));
    EXPECT_EQ(server->server_object, nullptr);
    EXPECT_EQ(sim().created(), before);
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

// --- The server type, through tagcfg.dll ----------------------------------------------------------

TEST_F(OpcAccess, ServerTypeIsOneForTheSpecialClassOnly) {
    TagcfgApi api;
    auto get_type = api.library.function<decltype(&::tagcfg_get_server_type)>("tagcfg_get_server_type");
    ASSERT_TRUE(api.complete() && get_type);
    ScratchDirectory dir;
    ASSERT_TRUE(dir.ok());
    const std::string head = "%%OPC_SERVER_CONFIG\r\n\r\n";
    struct Case {
        std::string fields;
        int type;
        int channels;
    };
    std::string lower_special = opcsim::kSpecialClsid;
    for (char &c : lower_special) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const Case cases[] = {
        {std::string("CLSID:") + opcsim::kSpecialClsid + "\r\n", 1, 0},
        {"CLSID:" + lower_special + "\r\n", 1, 0},  // compared as a class identifier, not as text
        {"PROGID:OpcSim.Special.1\r\n", 1, 0},
        {"PROGID:OpcSim.Special.1\r\nCLSID:" + std::string(clsid_of("OpcSim.Hierarchical.1")) + "\r\n", 0, 0},
        {"PROGID:OpcSim.Special.1\r\nCLSID:{not a class id}\r\n", 0, 0},
        {"PROGID:OpcSim.Hierarchical.1\r\n\r\n%CHANID:1\r\nID:A.B.C\r\n%CHANID:2\r\nID:Alarm\r\n", 0, 2},
        {"PROGID:OpcSim.NotRegistered.1\r\n", 0, 0},
    };
    const int count = static_cast<int>(std::size(cases));
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(write_bytes(dir.path() + "\\plant_opc" + std::to_string(i) + ".cnf", head + cases[i].fields));

    long created = sim().created();
    tagcfg_environment *env = api.tagcfg_init_environment();
    ASSERT_EQ(api.tagcfg_load(env, dir.path().c_str(), "plant"), 0);
    for (int i = 0; i < count; ++i) {
        int type = -7, channels = -7;
        EXPECT_EQ(get_type(env, i, &type, &channels), 0) << i;
        EXPECT_EQ(type, cases[i].type) << cases[i].fields;
        EXPECT_EQ(channels, cases[i].channels) << cases[i].fields;
    }
    api.tagcfg_free_environment(env);
    EXPECT_EQ(sim().created(), created) << "the server type query never creates a server object";
}

// --- Text and class identifier conversions --------------------------------------------------------

TEST_F(OpcAccess, ClsidTextRoundTrips) {
    for (const opcsim::ServerClass &c : opcsim::kServerClasses) {
        platform::Guid clsid;
        ASSERT_EQ(clsid_from_text(c.clsid, clsid), 0) << c.clsid;
        std::string text;
        ASSERT_EQ(clsid_to_text(clsid, text), 0);
        EXPECT_EQ(text, c.clsid);
        platform::Guid by_progid;
        ASSERT_EQ(clsid_from_progid(c.progid, by_progid), 0) << c.progid;
        EXPECT_EQ(by_progid, clsid) << c.progid;
    }
}

TEST_F(OpcAccess, NarrowTextIsAsLongAsTheCodePageNeeds) {
    // Characters that take one, two and (in a UTF-8 code page) three or four bytes. Where the
    // ANSI code page uses at most two bytes a character, no text can outgrow twice its length;
    // the comparison with the platform's own full conversion still holds.
    const std::u16string wide = u"A\u00e9\u20ac\u4e2d\u0416\U0001F600\u20ac\u20ac";
    int needed = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide.c_str()), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    ASSERT_GT(needed, 0);
    std::string expected(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide.c_str()), static_cast<int>(wide.size()),
                        &expected[0], needed, nullptr, nullptr);
    CPINFO info{};
    GetCPInfo(CP_ACP, &info);
    RecordProperty("ansi_code_page", static_cast<int>(GetACP()));
    RecordProperty("max_char_size", static_cast<int>(info.MaxCharSize));

    std::string narrow;
    to_narrow(wide.c_str(), wide.size(), narrow);
    EXPECT_EQ(narrow, expected);

    std::u16string back;
    to_wide(expected.c_str(), expected.size(), back);
    int chars = MultiByteToWideChar(CP_ACP, 0, expected.c_str(), needed, nullptr, 0);
    EXPECT_EQ(back.size(), static_cast<size_t>(chars));

    to_narrow(u"", 0, narrow);
    to_wide("", 0, back);
    EXPECT_TRUE(narrow.empty());
    EXPECT_TRUE(back.empty());
}

// --- Browsing ------------------------------------------------------------------------------------

TEST_F(OpcAccess, HierarchicalRootListsBranchesBeforeLeaves) {
    Browsing b("OpcSim.Hierarchical.1");
    ASSERT_TRUE(b.connected);
    ASSERT_TRUE(b.view.can_browse());
    EXPECT_TRUE(b.tree.enabled());
    EXPECT_EQ(b.view.namespace_type(), platform::kOpcHierarchical);
    EXPECT_EQ(b.children(b.root()), (Texts{"A", "AB", "Refused", "Tanks", "Alarm"}));
    EXPECT_EQ(b.tree.node(b.child(b.root(), "A")).image, kBranchImage);
    EXPECT_EQ(b.tree.node(b.child(b.root(), "Alarm")).image, kLeafImage);
    EXPECT_EQ(b.children(b.at("A")), (Texts{"B", "Z", "X"}));

    // A branch the server will not enter opens empty and loses its expand button.
    ui::TreeNode refused = b.at("Refused");
    ASSERT_NE(refused, nullptr);
    EXPECT_TRUE(b.children(refused).empty());
    EXPECT_EQ(b.tree.node(refused).children, 0);

    // Opening a node again asks the server nothing.
    ui::TreeNode a = b.at("A");
    long calls = sim().calls();
    b.tree.click_expand_button(a);
    b.tree.click_expand_button(a);
    EXPECT_EQ(sim().calls(), calls);
}

TEST_F(OpcAccess, LocatingAnItemIdSelectsTheNodeItNames) {
    struct Case {
        const char *item_id;
        const char *selected;  // path below the root, or empty when nothing is selected
    };
    const Case cases[] = {
        {"A.B.C", "A/B/C"},
        {"A/B:C", "A/B/C"},
        {"A\\B.D", "A/B/D"},
        {"A..B//C", "A/B/C"},     // runs of separators below the top level
        {"AB.X", "AB/X"},         // "A" is not followed by a separator there
        {"A.X", "A/X"},
        {"Tanks.T2.Level", "Tanks/T2/Level"},
        {".A.B", ""},             // the top-level name must begin the text
        {"a.b.c", ""},            // names compare with their letter case
        {"Nothing.Here", ""},
    };
    for (const Case &c : cases) {
        Browsing b("OpcSim.Hierarchical.1");
        b.view.locate_item_id(c.item_id, b.root(), false);
        std::string expected = *c.selected ? std::string("OpcSim.Hierarchical.1/") + c.selected : "";
        EXPECT_EQ(b.selected_path(), expected) << c.item_id;
        if (*c.selected) {
            EXPECT_EQ(b.tree.made_visible(), b.tree.selection()) << c.item_id;
        }
    }
}

TEST_F(OpcAccess, ItemIdsComeFromTheServerWhereverItsPositionIs) {
    Browsing b("OpcSim.Hierarchical.1");
    // Each request rebuilds the position from the top, whatever the previous one left.
    EXPECT_EQ(b.item_id(b.at("Tanks/T1/Level")), "Tanks.T1.Level");
    EXPECT_EQ(b.item_id(b.at("A/B/C")), "A.B.C");
    EXPECT_EQ(b.item_id(b.at("A/B/D")), "Custom/D.Id");
    EXPECT_EQ(b.item_id(b.at("Alarm")), "Alarm");
    EXPECT_EQ(b.item_id(b.at("Tanks/T2/Level")), "Tanks.T2.Level");
    EXPECT_EQ(b.item_id(b.at("Tanks/T1/Odd")), "(none)");    // GetItemID fails
    EXPECT_EQ(b.item_id(b.at("Tanks/T1/Blank")), "(none)");  // an empty ID is no ID
}

TEST_F(OpcAccess, CollectingSkipsABranchTheServerRefuses) {
    Browsing b("OpcSim.Hierarchical.1");
    EXPECT_EQ(b.collect_below(b.at("Tanks")), (Texts{"Tanks.T1.Level", "Tanks.T2.Level"}));
    EXPECT_EQ(b.collect_below(b.root()), (Texts{"A.B.C", "Custom/D.Id", "A.Z", "A.X", "AB.X", "Tanks.T1.Level",
                                                "Tanks.T2.Level", "Alarm"}));
}

TEST_F(OpcAccess, FlatSpaceListsItemIdsAsLeaves) {
    Browsing b("OpcSim.Flat.1");
    ASSERT_TRUE(b.view.can_browse());
    EXPECT_EQ(b.view.namespace_type(), platform::kOpcFlatSpace);
    EXPECT_EQ(b.children(b.root()), (Texts{"A", "A.B", "Pump:Speed"}));
    EXPECT_EQ(b.tree.node(b.child(b.root(), "A.B")).image, kLeafImage);
    EXPECT_EQ(b.item_id(b.child(b.root(), "Pump:Speed")), "Pump:Speed");
    EXPECT_EQ(b.collect_below(b.root()), (Texts{"A", "A.B", "Pump:Speed"}));

    // "A" matches first, has nothing below it, and the search ends there.
    Browsing located("OpcSim.Flat.1");
    located.view.locate_item_id("A.B", located.root(), false);
    EXPECT_EQ(located.tree.selection(), nullptr);
}

TEST_F(OpcAccess, AServerWithoutBrowsingLeavesTheTreeDisabled) {
    Browsing b("OpcSim.NoBrowse.1");
    ASSERT_TRUE(b.connected);
    EXPECT_FALSE(b.view.can_browse());
    EXPECT_FALSE(b.tree.enabled());
    EXPECT_EQ(b.view.fill_node(b.root()), 0);
    EXPECT_TRUE(b.collect_below(b.root()).empty());
}

TEST_F(OpcAccess, FaultyServersDoNotKeepTheBrowserLooping) {
    Browsing null_names("OpcSim.NullName.1");
    ASSERT_TRUE(null_names.view.can_browse());
    EXPECT_EQ(null_names.view.fill_node(null_names.root()), 0);
    EXPECT_TRUE(null_names.collect_below(null_names.root()).empty());

    Browsing up_forever("OpcSim.UpForever.1");
    ASSERT_TRUE(up_forever.view.can_browse());
    EXPECT_EQ(up_forever.children(up_forever.at("Deep")), Texts{"Value"});
    EXPECT_EQ(up_forever.item_id(up_forever.at("Deep/Value")), "Deep.Value");
    EXPECT_EQ(up_forever.collect_below(up_forever.root()), (Texts{"Deep.Value", "Top"}));
}

// The enumerator protocol beyond the library's Next(1) loop, for callers that batch, skip or clone.
TEST_F(OpcAccess, EnumeratorsFollowIEnumString) {
    auto fetch = [](IEnumString *names, ULONG count, HRESULT &result) {
        LPOLESTR got[4] = {};
        ULONG fetched = 99;
        result = names->Next(count, got, &fetched);
        std::vector<std::string> texts;
        for (ULONG i = 0; i < fetched && i < 4; ++i) {
            std::string text;
            to_narrow(reinterpret_cast<const char16_t *>(got[i]), lstrlenW(got[i]), text);
            texts.push_back(text);
            CoTaskMemFree(got[i]);
        }
        return texts;
    };
    auto names_of = [](const char *progid, DWORD type) -> IEnumString * {
        auto server = make_server(progid);
        void *browse = nullptr;
        if (!connect_server(*server)) return nullptr;
        as_unknown(*server)->QueryInterface(opc::kIidOpcBrowseServerAddressSpace, &browse);
        if (!browse) return nullptr;
        IEnumString *names = nullptr;
        static_cast<opc::IOPCBrowseServerAddressSpace *>(browse)->BrowseOPCItemIDs(type, L"", VT_EMPTY, 0, &names);
        static_cast<IUnknown *>(browse)->Release();
        return names;
    };

    IEnumString *flat = names_of("OpcSim.Flat.1", opc::kOpcFlat);
    ASSERT_NE(flat, nullptr);
    HRESULT result;
    EXPECT_EQ(fetch(flat, 2, result), (Texts{"A", "A.B"}));
    EXPECT_EQ(result, S_OK);
    IEnumString *copy = nullptr;
    ASSERT_EQ(flat->Clone(&copy), S_OK);
    EXPECT_EQ(fetch(flat, 2, result), Texts{"Pump:Speed"});
    EXPECT_EQ(result, S_FALSE);
    EXPECT_EQ(fetch(copy, 1, result), Texts{"Pump:Speed"});  // the copy starts where the original was
    EXPECT_EQ(copy->Skip(1), S_FALSE);
    EXPECT_EQ(flat->Reset(), S_OK);
    EXPECT_EQ(flat->Skip(1), S_OK);
    EXPECT_EQ(fetch(flat, 1, result), Texts{"A.B"});
    copy->Release();
    flat->Release();

    IEnumString *faulty = names_of("OpcSim.NullName.1", opc::kOpcLeaf);
    ASSERT_NE(faulty, nullptr);
    EXPECT_TRUE(fetch(faulty, 1, result).empty());
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(fetch(faulty, 1, result), Texts{"Top"});
    faulty->Release();

    void *browse = nullptr;
    auto no_browse = make_server("OpcSim.NoBrowse.1");
    ASSERT_TRUE(connect_server(*no_browse));
    EXPECT_EQ(as_unknown(*no_browse)->QueryInterface(opc::kIidOpcBrowseServerAddressSpace, &browse), E_NOINTERFACE);
    EXPECT_EQ(browse, nullptr);
}

// --- Benchmark: reports, never judges -------------------------------------------------------------

TEST_F(OpcAccess, BenchmarkCollectingALargeSpace) {
    Browsing b("OpcSim.Large.1");
    ASSERT_TRUE(b.view.can_browse());
    ASSERT_TRUE(b.view.move_to_node(b.root()));
    long calls = sim().calls();
    size_t items = 0;
    auto started = std::chrono::steady_clock::now();
    b.view.collect_item_ids([&](const std::string &) { ++items; });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    calls = sim().calls() - calls;
    EXPECT_EQ(items, 100000u);
    double per_second = seconds > 0 ? static_cast<double>(items) / seconds : 0;
    double calls_per_item = items ? static_cast<double>(calls) / static_cast<double>(items) : 0;
    std::printf("[ bench    ] collect_item_ids over OpcSim.Large.1: %lu items in %.3f s, %.0f items/s, "
                "%.2f browse calls per item\n",
                static_cast<unsigned long>(items), seconds, per_second, calls_per_item);
    RecordProperty("items_per_second", static_cast<int>(per_second));
}

}  // namespace
}  // namespace wintest
