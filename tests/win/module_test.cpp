// The version resource of the shipped modules, and the shared image list that library load makes
// and unload destroys, watched through tagcfg_probe.dll.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "win_support.h"

namespace wintest {
namespace {

using ::testing::ElementsAre;

TEST(Module, EveryShippedModuleCarriesTheProjectVersionInEveryLanguage) {
    const std::pair<const char *, DWORD> modules[] = {
        {"tagcfg.dll", VFT_DLL}, {"opcsim.dll", VFT_DLL}, {"..\\tools\\cli\\tagcfg.exe", VFT_APP}};
    unsigned major = 0, minor = 0, patch = 0, tweak = 0;
    ASSERT_GE(sscanf(TAGCFG_VERSION, "%u.%u.%u.%u", &major, &minor, &patch, &tweak), 2);
    for (const auto &[relative_path, file_type] : modules) {
        const std::string path = library_path(relative_path), file_name = path.substr(path.find_last_of('\\') + 1);
        SCOPED_TRACE(file_name);
        std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), nullptr));
        ASSERT_TRUE(!block.empty() && GetFileVersionInfoA(path.c_str(), 0, block.size(), block.data()));
        UINT length = 0;
        auto value = [&](const std::string &name) {
            void *found = nullptr;
            return VerQueryValueA(block.data(), name.c_str(), &found, &length) ? found : nullptr;
        };
        auto fixed = static_cast<const VS_FIXEDFILEINFO *>(value("\\"));
        ASSERT_TRUE(fixed && length >= sizeof *fixed);
        EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
        EXPECT_EQ(fixed->dwFileVersionLS, (patch << 16) | tweak);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, file_type);

        auto translations = static_cast<const DWORD *>(value("\\VarFileInfo\\Translation"));
        ASSERT_TRUE(translations);
        EXPECT_THAT(std::vector<DWORD>(translations, translations + length / sizeof(DWORD)),
                    ElementsAre(0x04B00409u, 0x04B00410u, 0x04B00804u, 0x04B00419u));
        const char *const blocks[] = {"040904B0", "041004B0", "080404B0", "041904B0"};
        auto text = [&](const char *block, const char *name) {
            const void *found = value(std::string("\\StringFileInfo\\") + block + "\\" + name);
            return std::string(found ? static_cast<const char *>(found) : "<missing>");
        };
        const std::string description = text(blocks[0], "FileDescription");
        EXPECT_NE(description, "<missing>");
        for (const char *language : blocks) {
            SCOPED_TRACE(language);
            EXPECT_EQ(text(language, "FileVersion"), TAGCFG_VERSION);
            EXPECT_EQ(text(language, "ProductVersion"), TAGCFG_VERSION);
            EXPECT_EQ(text(language, "ProductName"), "MERIDIAN SCADA");
            EXPECT_EQ(text(language, "FileDescription"), description);
            EXPECT_EQ(text(language, "InternalName"), file_name.substr(0, file_name.find('.')));
            EXPECT_EQ(text(language, "OriginalFilename"), file_name);
        }
    }
}

TEST(Module, LoadMakesTenImagesWhosePureRedIsTransparentAndUnloadDestroysThem) {
    HMODULE probe = LoadLibraryA(library_path("tagcfg_probe.dll").c_str());
    ASSERT_NE(probe, nullptr) << "LoadLibraryA failed with " << GetLastError();
    EXPECT_EQ(exported<HINSTANCE (*)()>(probe, "tagcfg_probe_module_instance")(), probe);
    HIMAGELIST list = exported<HIMAGELIST (*)()>(probe, "tagcfg_probe_shared_images")();
    int width = 0, height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &width, &height));
    EXPECT_EQ(width, SHARED_IMAGE_SIZE);
    EXPECT_EQ(height, SHARED_IMAGE_SIZE);
    ASSERT_EQ(ImageList_GetImageCount(list), SHARED_IMAGE_COUNT);

    // Drawn over green, every image lets the green through somewhere and shows no pure red.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, canvas);
    auto *pixels = static_cast<uint32_t *>(bits);
    auto count = [&](uint32_t colour) {
        return std::count_if(pixels, pixels + width * height, [&](uint32_t p) { return (p & 0xFFFFFF) == colour; });
    };
    for (int image = 0; image < SHARED_IMAGE_COUNT; ++image) {
        std::fill_n(pixels, width * height, 0x00FF00u);
        EXPECT_TRUE(ImageList_Draw(list, image, dc, 0, 0, ILD_TRANSPARENT));
        GdiFlush();
        EXPECT_GT(count(0x00FF00u), 0) << "image " << image << " has no transparent pixel";
        EXPECT_LT(count(0x00FF00u), width * height) << "image " << image << " is empty";
        EXPECT_EQ(count(0xFF0000u), 0) << "image " << image << " shows its transparent colour";
    }
    SelectObject(dc, previous);
    DeleteObject(canvas);
    DeleteDC(dc);

    // The image list is a COM object: with a reference held here, unload must leave this the last.
    auto *held = reinterpret_cast<IUnknown *>(list);
    held->AddRef();
    EXPECT_TRUE(FreeLibrary(probe));
    EXPECT_EQ(held->Release(), 0u) << "unload did not destroy the image list";
}

}  // namespace
}  // namespace wintest
