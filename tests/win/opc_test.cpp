// COM on Windows: opcsim.dll's registration as server browsers read it, and the library's own
// connection code creating opcsim's classes through the real CLSIDFromProgID, CLSIDFromString and
// CoCreateInstanceEx. The connection rules themselves are covered natively over the stand-in
// platform; these cases check that the Windows side keeps them.
#include <objbase.h>
#include <windows.h>

#include <gmock/gmock.h>

#include <string>
#include <thread>

#include "opc/browse_view.h"
#include "opc/connect.h"
#include "opc/opc_util.h"
#include "opcsim_classes.h"
#include "platform/memory/memory_tree.h"
#include "win_support.h"

namespace wintest {
namespace {

using tagcfg::connect_server;
using tagcfg::RecordRef;
using tagcfg::ServerConfig;

RecordRef<ServerConfig> server(const std::string &progid, const std::string &clsid = "", const char *host = "") {
    RecordRef<ServerConfig> config(new ServerConfig);
    config->progid = progid;
    config->clsid = clsid;
    config->hostname = host;
    return config;
}

// The default value (null name) or a named value of a key under HKEY_CLASSES_ROOT.
std::string registry_text(const std::string &key, const char *name = nullptr) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return "(no key)";
    char value[MAX_PATH] = "";
    DWORD size = sizeof value - 1, type = 0;
    LONG status = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS && type == REG_SZ ? value : "(absent)";
}

class OpcAccess : public OpcProject {
protected:
    void SetUp() override { load({}); }
};

TEST_F(OpcAccess, RegistrationDescribesEveryClassAsServerBrowsersReadIt) {
    for (const opcsim::ServerClass &c : opcsim::kServerClasses) {
        SCOPED_TRACE(c.progid);
        const std::string progid = c.progid, clsid_key = std::string("CLSID\\") + c.clsid;
        EXPECT_EQ(registry_text(progid + "\\CLSID"), c.clsid);
        EXPECT_EQ(registry_text(progid), c.description ? c.description : "(absent)");
        EXPECT_EQ(registry_text(progid + "\\OPC") != "(no key)", c.opc);
        EXPECT_EQ(registry_text(clsid_key + "\\ProgID"), progid);
        EXPECT_EQ(lstrcmpiA(registry_text(clsid_key + "\\InprocServer32").c_str(), library_path("opcsim.dll").c_str()),
                  0);
        EXPECT_EQ(registry_text(clsid_key + "\\InprocServer32", "ThreadingModel"), "Both");
    }
}

TEST_F(OpcAccess, CreatesByClsidTextOrProgIdAndReusesTheHeldObject) {
    const long before = opcsim_created();
    // The two classes tell themselves apart by their organisation; the CLSID text wins.
    const auto flat = server("OpcSim.Hierarchical.1", opcsim::server_class("OpcSim.Flat.1")->clsid);
    const auto hierarchical = server("OpcSim.Hierarchical.1");
    for (const auto *config : {&flat, &hierarchical}) {
        tagcfg::ui::MemoryTree tree;
        tagcfg::BrowseView view(tree);
        view.open(**config, connect_server(**config));
        ASSERT_TRUE(view.can_browse()) << (*config)->clsid;
        EXPECT_EQ(view.namespace_type(),
                  config == &flat ? tagcfg::platform::kOpcFlatSpace : tagcfg::platform::kOpcHierarchical);
    }
    EXPECT_EQ(opcsim_created(), before + 2);
    tagcfg::platform::ServerObject *held = flat->server_object;
    ASSERT_TRUE(connect_server(*flat));
    EXPECT_EQ(flat->server_object, held);
    EXPECT_EQ(opcsim_created(), before + 2);
}

// A host other than this computer is asked remotely, which fails at once under Wine: a local
// object for it would be a server of the wrong computer.
TEST_F(OpcAccess, ConfigurationsNamingNoUsableClassOrAnotherHostStayUnconnected) {
    const long before = opcsim_created();
    for (const auto &config : {
             server(""),
             server("OpcSim.NotRegistered.1"),
             server("OpcSim.Hierarchical.1", "{not a class id}"),   // the CLSID text decides alone
             server("", "6A3F1C20-5B7E-4D2A-9E01-0C5D1A000001"),    // the registry form is braced
             server("", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A0000FF}"),  // no such class
             server("OpcSim.Hierarchical.1", "", "opcsim-no-such-host"),
         }) {
        EXPECT_FALSE(connect_server(*config)) << config->progid << " " << config->clsid << " " << config->hostname;
        EXPECT_EQ(config->server_object, nullptr);
    }
    EXPECT_EQ(opcsim_created(), before);
}

// The library never enters COM itself: a thread outside any apartment gets a plain failure.
TEST_F(OpcAccess, AThreadOutsideComFailsCleanly) {
    const auto config = server("OpcSim.Hierarchical.1");
    bool connected = true, implicit_apartment = false;
    std::thread([&] {
        // Once any thread has entered the multithreaded apartment, COM lets every thread use it.
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        implicit_apartment = SUCCEEDED(CoGetApartmentType(&type, &qualifier));
        connected = connect_server(*config);
    }).join();
    if (implicit_apartment) GTEST_SKIP() << "the process has a multithreaded apartment that every thread joins";
    EXPECT_FALSE(connected);
    EXPECT_EQ(config->server_object, nullptr);
}

// Text from a server passes through the process's ANSI code page, whatever that is.
TEST_F(OpcAccess, NarrowTextIsThePlatformsOwnConversion) {
    const std::u16string wide = u"A\u00e9\u20ac\u4e2d\u0416\U0001F600\u20ac\u20ac";  // one to four bytes in UTF-8
    auto wide_text = reinterpret_cast<LPCWSTR>(wide.c_str());
    char expected[64] = "";
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide_text, -1, expected, sizeof expected, nullptr, nullptr), 0);
    std::string narrow;
    tagcfg::to_narrow(wide.c_str(), wide.size(), narrow);
    EXPECT_EQ(narrow, expected);
    std::u16string back;
    tagcfg::to_wide(narrow.c_str(), narrow.size(), back);
    EXPECT_EQ(back.size() + 1, static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, expected, -1, nullptr, 0)));
    RecordProperty("ansi_code_page", static_cast<int>(GetACP()));
}

}  // namespace
}  // namespace wintest
