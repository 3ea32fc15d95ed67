// The version resource of every shipped module, read back the way Explorer and installers read it:
// GetFileVersionInfoA and VerQueryValueA. The version must be the project's, in the fixed part and
// in every language's texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_files.h"

namespace wintest {
namespace {

struct Module {
    const char *path;  // from the test program's folder
    const char *file_name;
    const char *internal_name;
    DWORD file_type;
};

const Module kModules[] = {
    {"tagcfg.dll", "tagcfg.dll", "tagcfg", VFT_DLL},
    {"opcsim.dll", "opcsim.dll", "opcsim", VFT_DLL},
    {"..\\tools\\cli\\tagcfg.exe", "tagcfg.exe", "tagcfg", VFT_APP},
};

// The four string tables, in the order the Translation value lists them: language, code page 1200.
const char *const kBlocks[] = {"040904B0", "041004B0", "080404B0", "041904B0"};

// The whole version block of a file, empty when it has none.
std::vector<char> version_block(const std::string &path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) block.clear();
    return block;
}

// One value of the block, or null when it is missing.
const void *query(std::vector<char> &block, const std::string &name, UINT *length = nullptr) {
    void *value = nullptr;
    UINT ignored = 0;
    if (!VerQueryValueA(block.data(), name.c_str(), &value, length ? length : &ignored)) return nullptr;
    return value;
}

std::string text(std::vector<char> &block, const char *language, const char *name) {
    const void *value = query(block, std::string("\\StringFileInfo\\") + language + "\\" + name);
    return value ? static_cast<const char *>(value) : "<missing>";
}

TEST(VersionInfo, EveryShippedModuleCarriesTheProjectVersionInEveryLanguage) {
    int major = 0, minor = 0, patch = 0, tweak = 0;
    ASSERT_GE(sscanf(TAGCFG_VERSION, "%d.%d.%d.%d", &major, &minor, &patch, &tweak), 2);
    for (const Module &module : kModules) {
        SCOPED_TRACE(module.path);
        std::vector<char> block = version_block(executable_directory() + "\\" + module.path);
        ASSERT_FALSE(block.empty()) << "no version resource";

        UINT length = 0;
        auto fixed = static_cast<const VS_FIXEDFILEINFO *>(query(block, "\\", &length));
        ASSERT_TRUE(fixed && length >= sizeof *fixed);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(minor, major)));
        EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(tweak, patch)));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, module.file_type);

        auto translations = static_cast<const WORD *>(query(block, "\\VarFileInfo\\Translation", &length));
        ASSERT_TRUE(translations);
        std::vector<std::string> listed;
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) {
            char name[9];
            snprintf(name, sizeof name, "%04X%04X", translations[i], translations[i + 1]);
            listed.push_back(name);
        }
        EXPECT_EQ(listed, std::vector<std::string>(std::begin(kBlocks), std::end(kBlocks)));

        const std::string description = text(block, kBlocks[0], "FileDescription");
        EXPECT_TRUE(description != "<missing>" && !description.empty());
        for (const char *language : kBlocks) {
            SCOPED_TRACE(language);
            EXPECT_EQ(text(block, language, "FileVersion"), TAGCFG_VERSION);
            EXPECT_EQ(text(block, language, "ProductVersion"), TAGCFG_VERSION);
            EXPECT_EQ(text(block, language, "ProductName"), "MERIDIAN SCADA");
            EXPECT_EQ(text(block, language, "FileDescription"), description);
            EXPECT_EQ(text(block, language, "InternalName"), module.internal_name);
            EXPECT_EQ(text(block, language, "OriginalFilename"), module.file_name);
        }
    }
}

}  // namespace
}  // namespace wintest
