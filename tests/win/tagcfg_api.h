// The host's view of tagcfg.dll: the library loaded at run time and its 23 functions found by
// their undecorated names, exactly as the SCADA host reaches them.
#pragma once

#include <string>

#include "tagcfg.h"
#include "test_files.h"

namespace wintest {

// Every name the library exports, and nothing else.
inline constexpr const char *kExportNames[] = {
    "tagcfg_init_environment",
    "tagcfg_free_environment",
    "tagcfg_clear",
    "tagcfg_load",
    "tagcfg_save",
    "tagcfg_select_server",
    "tagcfg_get_server_name",
    "tagcfg_get_server_host",
    "tagcfg_get_server_type",
    "tagcfg_set_server_host",
    "tagcfg_select_channel",
    "tagcfg_get_channel_id",
    "tagcfg_get_channel_access_path",
    "tagcfg_remove_channel",
    "tagcfg_add_channel",
    "tagcfg_find_channel",
    "tagcfg_start_gc",
    "tagcfg_mark_channel",
    "tagcfg_finish_gc",
    "tagcfg_select_items",
    "tagcfg_itemlist_size",
    "tagcfg_itemlist_get_id",
    "tagcfg_itemlist_free",
};

inline std::string library_path(const char *file = "tagcfg.dll") { return executable_directory() + "\\" + file; }

#define WINTEST_ENTRY(name) decltype(&::name) name = library.function<decltype(&::name)>(#name)

// The functions the data tests call; a missing one stays null and fails the test that needs it.
struct TagcfgApi {
    Library library{library_path()};
    WINTEST_ENTRY(tagcfg_init_environment);
    WINTEST_ENTRY(tagcfg_free_environment);
    WINTEST_ENTRY(tagcfg_clear);
    WINTEST_ENTRY(tagcfg_load);
    WINTEST_ENTRY(tagcfg_save);
    WINTEST_ENTRY(tagcfg_get_server_name);
    WINTEST_ENTRY(tagcfg_get_server_host);
    WINTEST_ENTRY(tagcfg_set_server_host);
    WINTEST_ENTRY(tagcfg_get_channel_id);
    WINTEST_ENTRY(tagcfg_get_channel_access_path);
    WINTEST_ENTRY(tagcfg_remove_channel);
    WINTEST_ENTRY(tagcfg_add_channel);
    WINTEST_ENTRY(tagcfg_find_channel);
    WINTEST_ENTRY(tagcfg_start_gc);
    WINTEST_ENTRY(tagcfg_mark_channel);
    WINTEST_ENTRY(tagcfg_finish_gc);

    bool complete() const {
        return tagcfg_init_environment && tagcfg_free_environment && tagcfg_clear && tagcfg_load && tagcfg_save &&
               tagcfg_get_server_name && tagcfg_get_server_host && tagcfg_set_server_host && tagcfg_get_channel_id &&
               tagcfg_get_channel_access_path && tagcfg_remove_channel && tagcfg_add_channel && tagcfg_find_channel &&
               tagcfg_start_gc && tagcfg_mark_channel && tagcfg_finish_gc;
    }
};

#undef WINTEST_ENTRY

}  // namespace wintest
