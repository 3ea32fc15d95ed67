/* A host as an integrator first writes one against the package: it sees only the package's
 * include/tagcfg.h and links only lib/tagcfg.lib, with an MSVC-compatible linker. No Windows SDK
 * or C runtime libraries are at hand, so the few msvcrt functions it uses are declared here, and
 * it has an entry point of its own instead of the runtime's startup code.
 *
 * Run from the package's folder: it loads examples\plant1, reads back a server and a channel, and
 * saves every server into ..\saved, where run.sh compares the files with the sample's. Exit status
 * 0 when every check holds. */
#include "tagcfg.h"

int __cdecl printf(const char *format, ...);
int __cdecl strcmp(const char *a, const char *b);
void __cdecl exit(int status);

static int failures;

static void check(int holds, const char *what) {
    printf("%s %s\n", holds ? "ok:    " : "FAILED:", what);
    if (!holds) ++failures;
}

void __cdecl host_start(void) {
    char text[64];
    tagcfg_environment *env = tagcfg_init_environment();
    check(env != 0, "tagcfg_init_environment");
    check(tagcfg_load(env, "examples\\plant1", "plant1") == 0, "tagcfg_load examples\\plant1");
    /* The copy-out rule: the whole text, and its length as the result. */
    check(tagcfg_get_server_name(env, 0, text, sizeof text) == 20 && strcmp(text, "Meridian.Simulator.1") == 0,
          "server 0 is Meridian.Simulator.1");
    check(
        tagcfg_get_channel_access_path(env, 1, -1, "ChlorineDose", text, sizeof text) == 4 && strcmp(text, "PLC2") == 0,
        "channel ChlorineDose of server 1 has access path PLC2");
    check(tagcfg_find_channel(env, "Filters.F2.Flow") == 101, "Filters.F2.Flow is channel 101");
    check(tagcfg_save(env, "..\\saved", "plant1", 0, 1) == 0, "tagcfg_save every server into ..\\saved");
    tagcfg_free_environment(env);
    printf(failures ? "host: %d checks failed\n" : "host: every check holds\n", failures);
    exit(failures ? 1 : 0);
}
