/*
 * English texts of the dialogs and string tables (languages 0x409, 0x410,
 * 0x804). Each macro is paired with one in texts_ru.h; tagcfg_layout.rc
 * places them. Texts that are the same in every language (placeholders,
 * "OK", ">>", "ID:") live in the layout itself.
 *
 * No include guard: tagcfg.rc includes a texts file before every copy of the
 * layout, and the layout undefines these macros when it is done.
 */

#define TXT_CHANNEL_SETUP_CAPTION  "OPC channel setup"
#define TXT_SERVER_LABEL           "Server:"
#define TXT_COMPUTER_LABEL         "Computer:"
#define TXT_DESCRIPTION_LABEL      "Description:"
#define TXT_CHANNEL_NAME_LABEL     "MERIDIAN channel name:"
#define TXT_ITEM_ID_LABEL          "OPC Item ID:"
#define TXT_ACCESS_PATH_LABEL      "OPC Item access path (optional):"
#define TXT_CANCEL                 "Cancel"

#define TXT_SERVER_PICKER_CAPTION  "Select OPC server"

#define TXT_SERVER_LIST_CAPTION    "OPC server selection"
#define TXT_SERVERS_LABEL          "OPC servers:"
#define TXT_ADD                    "&Add"
#define TXT_REMOVE                 "&Remove"
#define TXT_CHANGE                 "&Change"
#define TXT_SELECT                 "Select"
#define TXT_EXIT                   "Exit"

#define TXT_ITEM_SELECTION_CAPTION "Select OPC items for autobuilding"
#define TXT_NAME_SPACE_LABEL       "OPC server name space"
#define TXT_SELECTED_ITEMS_LABEL   "Selected items"
#define TXT_UP                     "&Up"
#define TXT_DOWN                   "&Down"

#define STR_MY_COMPUTER            "My Computer"
#define STR_NETWORK_NEIGHBOURHOOD  "Network Neighbourhood"
#define STR_ENTIRE_NETWORK         "Entire Network"
#define STR_ITEM_ID_COLUMN         "OPC Item ID"
#define STR_WARNING_CAPTION        "Warning"
#define STR_ERROR_CAPTION          "Error"
#define STR_CONNECT_FAILED         "Error creating server. Server may not be correctly registered."
#define STR_SERVER_COLUMNS         "Server#|Server ID|Computer|Description"
#define STR_NOT_CONFIGURED         "<not configured>"
#define STR_CONFIRM_SERVER_CHANGE  "If you remove or change OPC server configuration,\nyou should reconfigure all channels, attached to this server.\nDo you want to continue ?"
