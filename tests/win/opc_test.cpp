// The connection code over real COM where the host's day does not reach, and texts in the system's
// case-blind comparison and ANSI code page. The rules themselves are covered natively.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "opc/connect.h"
#include "opc/opc_util.h"
#include "opc/private_group.h"
#include "platform/text.h"
#include "win_support.h"

namespace wintest {
namespace {

auto server(const std::string &progid, const std::string &clsid = "", const char *host = "") {
    tagcfg::RecordRef<tagcfg::ServerConfig> config(new tagcfg::ServerConfig);
    config->progid = progid;
    config->clsid = clsid;
    config->hostname = host;
    return config;
}

// A host other than this computer is asked remotely, which fails at once under Wine: a local
// object for it would be a server of the wrong computer. The library never enters COM itself, so
// a thread outside any apartment gets a plain failure too.
TEST_F(OpcProject, ConfigurationsNamingNoUsableClassOrAnotherHostOrOutsideComStayUnconnected) {
    load({});
    const long before = opcsim_created();
    for (const auto &config : {
             server(""),
             server("OpcSim.Hierarchical.1", "{not a class id}"),   // the CLSID text decides alone
             server("", "6A3F1C20-5B7E-4D2A-9E01-0C5D1A000001"),    // the registry form is braced
             server("", "{6A3F1C20-5B7E-4D2A-9E01-0C5D1A0000FF}"),  // no such class
             server("OpcSim.Hierarchical.1", "", "opcsim-no-such-host"),
         }) {
        EXPECT_FALSE(tagcfg::connect_server(*config))
            << config->progid << " " << config->clsid << " " << config->hostname;
        EXPECT_EQ(config->server_object, nullptr);
    }
    EXPECT_EQ(opcsim_created(), before);

    const auto config = server("OpcSim.Hierarchical.1");
    bool connected = false, implicit_apartment = false;
    std::thread([&] {
        // Once any thread has entered the multithreaded apartment, COM lets every thread use it.
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        implicit_apartment = SUCCEEDED(CoGetApartmentType(&type, &qualifier));
        connected = tagcfg::connect_server(*config);
    }).join();
    EXPECT_EQ(connected, implicit_apartment);
    EXPECT_EQ(config->server_object != nullptr, implicit_apartment);
}

// Reading gives back all it was handed (arrays, blobs, values): a second read of 10,000 items leaves
// the process's memory where the first left it, and no group stays behind.
TEST_F(OpcProject, ReadingTenThousandItemsTwiceLeavesMemoryWhereItWas) {
    load({});
    const auto config = server("OpcSim.Large.1");
    ASSERT_TRUE(tagcfg::connect_server(*config));
    std::vector<tagcfg::ItemName> items;
    for (int i = 0; i < 10000; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "B%04d.L%03d", i / 100, i % 100);
        items.push_back({id, ""});
    }
    const auto read_all = [&] {
        tagcfg::PrivateGroup group(*config);
        const std::vector<tagcfg::ItemReading> readings = group.read(items);
        ASSERT_EQ(readings.size(), items.size());
        EXPECT_EQ(readings.back().error, 0);
        EXPECT_EQ(readings.back().value.elements.at(0).text, u"B0099.L099");
    };
    // The bytes in use in every heap of the process: task memory, BSTRs and the C runtime's own.
    const auto heap_bytes = [] {
        HANDLE heaps[64];
        const DWORD count = GetProcessHeaps(64, heaps);
        size_t busy = 0;
        for (DWORD i = 0; i < count && i < 64; ++i) {
            PROCESS_HEAP_ENTRY entry{};
            HeapLock(heaps[i]);
            while (HeapWalk(heaps[i], &entry))
                if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
            HeapUnlock(heaps[i]);
        }
        return busy;
    };
    read_all();
    const size_t after_first = heap_bytes();
    read_all();
    EXPECT_LE(heap_bytes(), after_first + 16 * 1024) << "the first read left " << after_first << " bytes in use";
    const auto groups = exported<LONG (*)()>(GetModuleHandleA("opcsim.dll"), "opcsim_group_count");
    ASSERT_NE(groups, nullptr);
    EXPECT_EQ(groups(), 0);
}

// The item selection dialog finds a listed item ID by its fold_case key: keys must be equal exactly
// for the texts the system's own comparison calls equal, expansions such as "\xC6" and "AE" too.
TEST(Text, FoldedKeysAreEqualExactlyForTextsTheSystemComparesEqual) {
    const char *const texts[] = {
        "", "a", "A", "Tanks.T1.Level", "TANKS.t1.LEVEL", "\xe9", "\xc9", "\xc6", "AE", "\xdf", "ss", "co-op", "coop"};
    for (const char *a : texts)
        for (const char *b : texts)
            EXPECT_EQ(tagcfg::platform::fold_case(a) == tagcfg::platform::fold_case(b), lstrcmpiA(a, b) == 0) << a << b;
}

// Text from a server passes through the process's ANSI code page, whatever that is.
TEST(Text, NarrowTextIsThePlatformsOwnConversion) {
    const std::u16string wide = u"A\u00e9\u20ac\u4e2d\u0416\U0001F600\u20ac";  // one to four bytes in UTF-8
    char expected[64] = "";
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide.c_str()), -1, expected, 64, nullptr, nullptr);
    std::string narrow;
    tagcfg::to_narrow(wide.c_str(), wide.size(), narrow);
    EXPECT_EQ(narrow, expected) << "code page " << GetACP();
    std::u16string back;
    tagcfg::to_wide(narrow.c_str(), narrow.size(), back);
    EXPECT_EQ(back.size() + 1, static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, expected, -1, nullptr, 0)));
}

}  // namespace
}  // namespace wintest
