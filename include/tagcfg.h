/* tagcfg: OPC server and channel configuration for the MERIDIAN SCADA host.
 *
 * Every function uses the C calling convention and is exported by its undecorated name.
 * Texts are zero-terminated narrow strings in the process's ANSI code page. Text results are
 * copied into the caller's buffer: the first byte is zeroed at once, at most size - 1 bytes are
 * copied (a double-byte character is never split), the last byte is always zero, and the result
 * is the length now in the buffer. Failure is a plain value: -1, 0 or null, as noted per function.
 */
#ifndef TAGCFG_H
#define TAGCFG_H

#if defined(_WIN32)
#define TAGCFG_CALL __cdecl
#else
#define TAGCFG_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tagcfg_environment tagcfg_environment;
typedef struct tagcfg_itemlist tagcfg_itemlist;
typedef void *tagcfg_window; /* HWND on Windows */

/* Environment: null when memory cannot be had; free and clear ignore null. */
tagcfg_environment *TAGCFG_CALL tagcfg_init_environment(void);
void TAGCFG_CALL tagcfg_free_environment(tagcfg_environment *env);
void TAGCFG_CALL tagcfg_clear(tagcfg_environment *env);

/* Storage: 0 on success, -1 on failure. Null texts keep the directory and base name stored by
 * the previous call. `reserved` has no effect. */
int TAGCFG_CALL tagcfg_load(tagcfg_environment *env, const char *directory, const char *base_name);
int TAGCFG_CALL tagcfg_save(tagcfg_environment *env, const char *directory, const char *base_name,
                            int reserved, int write_all);

/* Servers. */
int TAGCFG_CALL tagcfg_select_server(tagcfg_environment *env, int server, tagcfg_window parent);
int TAGCFG_CALL tagcfg_get_server_name(tagcfg_environment *env, int server, char *buffer, int size);
int TAGCFG_CALL tagcfg_get_server_host(tagcfg_environment *env, int server, char *buffer, int size);
int TAGCFG_CALL tagcfg_get_server_type(tagcfg_environment *env, int server, int *type,
                                       int *channel_count);
int TAGCFG_CALL tagcfg_set_server_host(tagcfg_environment *env, int server, const char *host);

/* Channels: addressed by number (channel_id >= 0) or, for channels without a number, by name.
 * tagcfg_get_channel_id returns the channel's OPC item ID, not its number. */
int TAGCFG_CALL tagcfg_select_channel(tagcfg_environment *env, int server, int channel_id,
                                      const char *channel_name, char *buffer, int size,
                                      tagcfg_window parent);
int TAGCFG_CALL tagcfg_get_channel_id(tagcfg_environment *env, int server, int channel_id,
                                      const char *channel_name, char *buffer, int size);
int TAGCFG_CALL tagcfg_get_channel_access_path(tagcfg_environment *env, int server, int channel_id,
                                               const char *channel_name, char *buffer, int size);
int TAGCFG_CALL tagcfg_remove_channel(tagcfg_environment *env, int server, int channel_id,
                                      const char *channel_name);
void TAGCFG_CALL tagcfg_add_channel(tagcfg_environment *env, int server, int channel_id,
                                    const char *item_id);
int TAGCFG_CALL tagcfg_find_channel(tagcfg_environment *env, const char *item_id);

/* Clean-up cycle: start, mark every channel still in use, finish to drop the rest. */
void TAGCFG_CALL tagcfg_start_gc(tagcfg_environment *env);
int TAGCFG_CALL tagcfg_mark_channel(tagcfg_environment *env, int server, int channel_id,
                                    const char *channel_name);
void TAGCFG_CALL tagcfg_finish_gc(tagcfg_environment *env);

/* Item lists from the item selection dialog; owned by the caller until tagcfg_itemlist_free. */
tagcfg_itemlist *TAGCFG_CALL tagcfg_select_items(tagcfg_environment *env, int server,
                                                 tagcfg_window parent);
int TAGCFG_CALL tagcfg_itemlist_size(tagcfg_itemlist *list);
int TAGCFG_CALL tagcfg_itemlist_get_id(tagcfg_itemlist *list, int index, char *buffer, int size);
void TAGCFG_CALL tagcfg_itemlist_free(tagcfg_itemlist *list);

#ifdef __cplusplus
}
#endif

#endif
