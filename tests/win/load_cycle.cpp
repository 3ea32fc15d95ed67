// A host that loads the library for each project it opens and unloads it afterwards. Runs in a
// program of its own, so no other test holds the library loaded between cycles.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win_support.h"

namespace wintest {
namespace {

constexpr int kCycles = 5000;
constexpr int kSettledCycle = 50;  // the runtime and Wine have made their one-time allocations
constexpr SIZE_T kMemoryBound = 4u << 20;
constexpr DWORD kHandleBound = 50;

const char kServer[] =
    "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sample.Server.1\r\nDESCRIPTION:Boiler house\r\n\r\n"
    "%CHANID:12\r\nID:Boiler.Temp1\r\n\r\n%CHANNEL:PumpState\r\nID:Pumps.P1.Run\r\nACCPATH:Line1\r\n\r\n";

// Committed private memory, summed over the address space: what Windows reports as private bytes
// (Wine leaves GetProcessMemoryInfo's PrivateUsage at zero).
SIZE_T committed_private_bytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto address = static_cast<const char *>(nullptr);
         VirtualQuery(address, &region, sizeof region) == sizeof region; address += region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

// Handles in use. Wine answers GetProcessHandleCount with 0; there a new handle's slot stands for
// the count, since it takes the lowest free slot and leaked handles push it up.
DWORD handles_in_use() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    count = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(probe) / sizeof(DWORD));
    CloseHandle(probe);
    return count;
}

void open_and_close_project(const std::string &folder) {
    HMODULE library = LoadLibraryA(library_path("tagcfg.dll").c_str());
    ASSERT_NE(library, nullptr);
    tagcfg_environment *env = EXPORT(library, tagcfg_init_environment)();
    ASSERT_EQ(EXPORT(library, tagcfg_load)(env, folder.c_str(), "plant"), 0);
    ASSERT_EQ(EXPORT(library, tagcfg_save)(env, nullptr, nullptr, 0, 1), 0);
    EXPORT(library, tagcfg_free_environment)(env);
    ASSERT_TRUE(FreeLibrary(library)) << GetLastError();
}

TEST(LoadCycle, AHostLoadsAndUnloadsTheLibraryThousandsOfTimes) {
    tagcfg::test::TempDir folder;
    folder.put("plant_opc0.cnf", kServer);
    ASSERT_EQ(GetModuleHandleA("tagcfg.dll"), nullptr) << "the library must not be loaded before the cycles";

    SIZE_T settled_bytes = 0;
    DWORD settled_handles = 0;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        ASSERT_NO_FATAL_FAILURE(open_and_close_project(folder.path())) << "cycle " << cycle;
        if (cycle != kSettledCycle) continue;
        settled_bytes = committed_private_bytes();
        settled_handles = handles_in_use();
    }
    ASSERT_GT(settled_bytes, 0u) << "no committed private memory found";
    const SIZE_T bytes = committed_private_bytes();
    EXPECT_LT(bytes, settled_bytes + kMemoryBound) << "private bytes " << settled_bytes << " -> " << bytes;
    const DWORD handles = handles_in_use();
    EXPECT_LT(handles, settled_handles + kHandleBound) << "handles " << settled_handles << " -> " << handles;
}

}  // namespace
}  // namespace wintest
