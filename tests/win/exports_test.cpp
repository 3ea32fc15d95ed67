// tagcfg.dll as the host sees it: loaded by full path, every function found by its undecorated
// name, and no export beyond the 23.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tagcfg_api.h"

namespace wintest {
namespace {

// The names in the module's own export directory, read from the loaded image.
std::set<std::string> exported_names(HMODULE module, DWORD &declared_count) {
    auto base = reinterpret_cast<const BYTE *>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    declared_count = 0;
    if (entry.VirtualAddress == 0) return names;
    auto directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + entry.VirtualAddress);
    declared_count = directory->NumberOfFunctions;
    auto name_rvas = reinterpret_cast<const DWORD *>(base + directory->AddressOfNames);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char *>(base + name_rvas[i]));
    return names;
}

TEST(Exports, EveryFunctionIsFoundByItsUndecoratedName) {
    Library library(library_path());
    ASSERT_NE(library.get(), nullptr) << "LoadLibraryA failed with " << GetLastError();
    for (const char *name : kExportNames) EXPECT_NE(library.symbol(name), nullptr) << name;
    // Decorated forms are what a wrong calling convention or a missing .def would produce.
    EXPECT_EQ(library.symbol("_tagcfg_load"), nullptr);
    EXPECT_EQ(library.symbol("tagcfg_load@12"), nullptr);
}

TEST(Exports, TheExportDirectoryHoldsExactlyTheHostsFunctions) {
    Library library(library_path());
    ASSERT_NE(library.get(), nullptr);
    DWORD declared = 0;
    std::set<std::string> names = exported_names(library.get(), declared);
    EXPECT_EQ(declared, std::size(kExportNames));
    EXPECT_EQ(names, std::set<std::string>(std::begin(kExportNames), std::end(kExportNames)));
}

TEST(Exports, TheLibraryLoadsAndUnloadsRepeatedly) {
    for (int round = 0; round < 3; ++round) {
        Library library(library_path());
        ASSERT_NE(library.get(), nullptr) << "round " << round;
        auto init = library.function<decltype(&tagcfg_init_environment)>("tagcfg_init_environment");
        auto release = library.function<decltype(&tagcfg_free_environment)>("tagcfg_free_environment");
        ASSERT_TRUE(init && release);
        tagcfg_environment *env = init();
        EXPECT_NE(env, nullptr);
        release(env);
        EXPECT_TRUE(library.release()) << "round " << round;
    }
}

}  // namespace
}  // namespace wintest
