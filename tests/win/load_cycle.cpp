// A host that loads the library for each project it opens and unloads it afterwards. Runs in a
// program of its own, so no other test holds the library loaded between cycles.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tagcfg_api.h"

namespace wintest {
namespace {

constexpr int kCycles = 5000;
constexpr int kSettledCycle = 50;  // the runtime and Wine have made their one-time allocations
constexpr SIZE_T kMemoryBound = 4u << 20;
constexpr DWORD kHandleBound = 50;

const char kServer[] =
    "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Sample.Server.1\r\nDESCRIPTION:Boiler house\r\n\r\n"
    "%CHANID:12\r\nID:Boiler.Temp1\r\n\r\n%CHANNEL:PumpState\r\nID:Pumps.P1.Run\r\nACCPATH:Line1\r\n\r\n";

struct Usage {
    SIZE_T private_bytes = 0;
    DWORD handles = 0;
};

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

// Handles in use. Wine answers GetProcessHandleCount with 0; there the slot a new handle lands
// in stands for the count, since a new handle takes the lowest free slot of the table and leaked
// handles push it up.
DWORD handles_in_use() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    count = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(probe) / sizeof(DWORD));
    CloseHandle(probe);
    return count;
}

Usage usage_now() { return {committed_private_bytes(), handles_in_use()}; }

// One host session: load the library, read the project, write it back, unload.
::testing::AssertionResult open_and_close_project(const std::string &dll, const std::string &folder) {
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) return ::testing::AssertionFailure() << "LoadLibraryA failed with " << GetLastError();
    auto init = reinterpret_cast<decltype(&tagcfg_init_environment)>(
        reinterpret_cast<void *>(GetProcAddress(module, "tagcfg_init_environment")));
    auto load =
        reinterpret_cast<decltype(&tagcfg_load)>(reinterpret_cast<void *>(GetProcAddress(module, "tagcfg_load")));
    auto save =
        reinterpret_cast<decltype(&tagcfg_save)>(reinterpret_cast<void *>(GetProcAddress(module, "tagcfg_save")));
    auto release = reinterpret_cast<decltype(&tagcfg_free_environment)>(
        reinterpret_cast<void *>(GetProcAddress(module, "tagcfg_free_environment")));
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    tagcfg_environment *env = init ? init() : nullptr;
    if (!env || !load || !save || !release) {
        result = ::testing::AssertionFailure() << "the library's exports are not usable";
    } else if (load(env, folder.c_str(), "plant") != 0) {
        result = ::testing::AssertionFailure() << "tagcfg_load failed";
    } else if (save(env, nullptr, nullptr, 0, 1) != 0) {
        result = ::testing::AssertionFailure() << "tagcfg_save failed";
    }
    if (env) release(env);
    if (!FreeLibrary(module)) result = ::testing::AssertionFailure() << "FreeLibrary failed with " << GetLastError();
    return result;
}

TEST(LoadCycle, AHostLoadsAndUnloadsTheLibraryThousandsOfTimes) {
    ScratchDirectory folder;
    ASSERT_TRUE(folder.ok());
    const std::string file = folder.path() + "\\plant_opc0.cnf";
    ASSERT_TRUE(write_bytes(file, kServer));
    const std::string dll = library_path();
    ASSERT_EQ(GetModuleHandleA(dll.c_str()), nullptr) << "the library must not be loaded before the cycles";

    Usage settled;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        ASSERT_TRUE(open_and_close_project(dll, folder.path())) << "cycle " << cycle;
        if (cycle == kSettledCycle) settled = usage_now();
    }
    const Usage last = usage_now();

    std::string bytes;
    ASSERT_TRUE(read_bytes(file, bytes));
    EXPECT_EQ(bytes, kServer);
    ASSERT_GT(settled.private_bytes, 0u) << "no committed private memory found";
    const SIZE_T growth = last.private_bytes > settled.private_bytes ? last.private_bytes - settled.private_bytes : 0;
    EXPECT_LT(growth, kMemoryBound) << "private bytes " << settled.private_bytes << " -> " << last.private_bytes;
    EXPECT_LT(last.handles, settled.handles + kHandleBound) << "handles " << settled.handles << " -> " << last.handles;
    std::printf("load cycles: %d; private bytes %lu -> %lu; handles %lu -> %lu\n", kCycles,
                static_cast<unsigned long>(settled.private_bytes), static_cast<unsigned long>(last.private_bytes),
                static_cast<unsigned long>(settled.handles), static_cast<unsigned long>(last.handles));
}

}  // namespace
}  // namespace wintest
