/* A host as an integrator first writes one against the package: it sees only the package's
 * include/tagcfg.h and links only lib/tagcfg.lib, with an MSVC-compatible linker. No Windows SDK
 * or C runtime libraries are at hand, so the few msvcrt functions it uses are declared here, and
 * it has an entry point of its own instead of the runtime's startup code.
 *
 * Run from the package's folder: it loads examples\plant1, reads back a server and channels,
 * saves every server into ..\saved and compares the files the library writes byte for byte with
 * the sample's (which are in the library's own form). Exit status 0 when every check holds. */
#include <stddef.h>

#include "tagcfg.h"

typedef struct FILE FILE;
FILE *__cdecl fopen(const char *path, const char *mode);
size_t __cdecl fread(void *buffer, size_t size, size_t count, FILE *file);
int __cdecl fclose(FILE *file);
int __cdecl printf(const char *format, ...);
int __cdecl memcmp(const void *a, const void *b, size_t size);
int __cdecl strcmp(const char *a, const char *b);
size_t __cdecl strlen(const char *text);
void __cdecl exit(int status);

static int failures;

static void check(int holds, const char *what) {
    printf("%s %s\n", holds ? "ok:    " : "FAILED:", what);
    if (!holds) ++failures;
}

/* Static: a large buffer on the stack would need the runtime's stack probe. */
static char contents[2][8192];

/* The file's size, or -1 when it cannot be read or does not fit. */
static int read_file(const char *path, char *buffer) {
    FILE *file = fopen(path, "rb");
    if (!file) return -1;
    size_t size = fread(buffer, 1, sizeof contents[0], file);
    fclose(file);
    return size < sizeof contents[0] ? (int)size : -1;
}

static int same_bytes(const char *original, const char *copy) {
    int size = read_file(original, contents[0]);
    return size > 0 && read_file(copy, contents[1]) == size && memcmp(contents[0], contents[1], size) == 0;
}

/* A text result as the copy-out rule gives it: the whole text, and its length as the result. */
static int text_is(int length, const char *text, const char *expected) {
    return strcmp(text, expected) == 0 && length == (int)strlen(expected);
}

void __cdecl host_start(void) {
    char text[64];
    tagcfg_environment *env = tagcfg_init_environment();
    check(env != NULL, "tagcfg_init_environment");
    check(tagcfg_load(env, "examples\\plant1", "plant1") == 0, "tagcfg_load examples\\plant1");
    check(text_is(tagcfg_get_server_name(env, 0, text, sizeof text), text, "Meridian.Simulator.1"),
          "server 0 is Meridian.Simulator.1");
    check(text_is(tagcfg_get_server_host(env, 1, text, sizeof text), text, "PLANT2"), "server 1 runs on PLANT2");
    check(text_is(tagcfg_get_channel_id(env, 0, 20, NULL, text, sizeof text), text, "Pumps.Feed1.Run"),
          "channel 20 of server 0 is bound to Pumps.Feed1.Run");
    check(text_is(tagcfg_get_channel_access_path(env, 1, -1, "ChlorineDose", text, sizeof text), text, "PLC2"),
          "channel ChlorineDose of server 1 has access path PLC2");
    check(tagcfg_find_channel(env, "Filters.F2.Flow") == 101, "Filters.F2.Flow is channel 101");
    check(tagcfg_save(env, "..\\saved", "plant1", 0, 1) == 0, "tagcfg_save every server into ..\\saved");
    check(same_bytes("examples\\plant1\\plant1_opc0.cnf", "..\\saved\\plant1_opc0.cnf"),
          "plant1_opc0.cnf saved byte for byte");
    check(same_bytes("examples\\plant1\\plant1_opc1.cnf", "..\\saved\\plant1_opc1.cnf"),
          "plant1_opc1.cnf saved byte for byte");
    tagcfg_free_environment(env);
    printf(failures ? "host: %d checks failed\n" : "host: every check holds\n", failures);
    exit(failures ? 1 : 0);
}
