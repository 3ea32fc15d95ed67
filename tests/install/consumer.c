/* Reads the sample project through the installed library: the first server's name and the item
 * of its channel 12. Exit status 0 when both are the sample's. */
#include <stdio.h>
#include <string.h>

#include <tagcfg.h>

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s DIR BASE\n", argv[0]);
        return 2;
    }
    char server[64] = "", item[64] = "";
    tagcfg_environment *env = tagcfg_init_environment();
    int loaded = env && tagcfg_load(env, argv[1], argv[2]) == 0;
    tagcfg_get_server_name(env, 0, server, sizeof server);
    tagcfg_get_channel_id(env, 0, 12, NULL, item, sizeof item);
    tagcfg_free_environment(env);
    printf("loaded %d, server 0 %s, channel 12 %s\n", loaded, server, item);
    return loaded && strcmp(server, "Meridian.Simulator.1") == 0 && strcmp(item, "Boiler.Drum.Level") == 0 ? 0 : 1;
}
