// The shared image list that library load makes and library unload destroys, seen through
// tagcfg_probe.dll: the library built from the same sources with its module state exported.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "frame/module_state.h"
#include "resource_ids.h"
#include "tagcfg_api.h"

namespace wintest {
namespace {

using ProbeState = tagcfg::ModuleState *(*)();

// Unload is observed by routing the probe's own import of ImageList_Destroy through a recorder.
HIMAGELIST g_destroyed = nullptr;
int g_destroy_calls = 0;
BOOL WINAPI record_destroy(HIMAGELIST list) {
    g_destroyed = list;
    ++g_destroy_calls;
    return ImageList_Destroy(list);
}

// The import address table slot of `module` for `function` of `dll`, or null.
void **import_slot(HMODULE module, const char *dll, const char *function) {
    auto base = reinterpret_cast<BYTE *>(module);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (entry.VirtualAddress == 0) return nullptr;
    for (auto imports = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + entry.VirtualAddress); imports->Name;
         ++imports) {
        if (lstrcmpiA(reinterpret_cast<char *>(base + imports->Name), dll) != 0) continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + imports->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + imports->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char *>(by_name->Name), function) == 0)
                return reinterpret_cast<void **>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool patch(void **slot, void *value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

TEST(SharedImageList, LibraryLoadMakesTenSixteenPixelImagesFromItsOwnModule) {
    Library probe(library_path("tagcfg_probe.dll"));
    ASSERT_NE(probe.get(), nullptr) << "LoadLibraryA failed with " << GetLastError();
    auto state_of = probe.function<ProbeState>("tagcfg_probe_module_state");
    ASSERT_NE(state_of, nullptr);
    const tagcfg::ModuleState *state = state_of();
    EXPECT_EQ(state->instance, static_cast<void *>(probe.get()));

    auto list = static_cast<HIMAGELIST>(state->image_list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list), SHARED_IMAGE_COUNT);
    int width = 0, height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &width, &height));
    EXPECT_EQ(width, SHARED_IMAGE_SIZE);
    EXPECT_EQ(height, SHARED_IMAGE_SIZE);
    // Red is the transparent colour, so every image carries a mask.
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, SHARED_IMAGE_COUNT - 1, &info));
    EXPECT_NE(info.hbmMask, nullptr);
}

TEST(SharedImageList, LibraryUnloadDestroysExactlyThatList) {
    Library probe(library_path("tagcfg_probe.dll"));
    ASSERT_NE(probe.get(), nullptr);
    auto state_of = probe.function<ProbeState>("tagcfg_probe_module_state");
    ASSERT_NE(state_of, nullptr);
    HIMAGELIST loaded = static_cast<HIMAGELIST>(state_of()->image_list);
    ASSERT_NE(loaded, nullptr);

    void **slot = import_slot(probe.get(), "comctl32.dll", "ImageList_Destroy");
    ASSERT_NE(slot, nullptr) << "the library does not import ImageList_Destroy";
    g_destroyed = nullptr;
    g_destroy_calls = 0;
    ASSERT_TRUE(patch(slot, reinterpret_cast<void *>(&record_destroy)));

    EXPECT_TRUE(probe.release());
    EXPECT_EQ(g_destroy_calls, 1);
    EXPECT_EQ(g_destroyed, loaded);
}

}  // namespace
}  // namespace wintest
