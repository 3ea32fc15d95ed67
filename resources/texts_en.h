/*
 * English texts of the dialogs and string tables (languages 0x409, 0x410,
 * 0x804). Each macro is paired with one of the same name in texts_ru.h;
 * tagcfg_layout.rc places them as TAGCFG_TEXT(NAME), which tagcfg.rc turns
 * into EN_NAME or RU_NAME for each copy of the layout. Texts that are the same
 * in every language (placeholders, "OK", ">>", "ID:") live in the layout
 * itself.
 */
#ifndef TAGCFG_TEXTS_EN_H
#define TAGCFG_TEXTS_EN_H

#define EN_CHANNEL_SETUP_CAPTION  "OPC channel setup"
#define EN_SERVER_LABEL           "Server:"
#define EN_COMPUTER_LABEL         "Computer:"
#define EN_DESCRIPTION_LABEL      "Description:"
#define EN_CHANNEL_NAME_LABEL     "MERIDIAN channel name:"
#define EN_ITEM_ID_LABEL          "OPC Item ID:"
#define EN_ACCESS_PATH_LABEL      "OPC Item access path (optional):"
#define EN_CANCEL                 "Cancel"

#define EN_SERVER_PICKER_CAPTION  "Select OPC server"

#define EN_SERVER_LIST_CAPTION    "OPC server selection"
#define EN_SERVERS_LABEL          "OPC servers:"
#define EN_ADD                    "&Add"
#define EN_REMOVE                 "&Remove"
#define EN_CHANGE                 "&Change"
#define EN_SELECT                 "Select"
#define EN_EXIT                   "Exit"

#define EN_ITEM_SELECTION_CAPTION "Select OPC items for autobuilding"
#define EN_NAME_SPACE_LABEL       "OPC server name space"
#define EN_SELECTED_ITEMS_LABEL   "Selected items"
#define EN_UP                     "&Up"
#define EN_DOWN                   "&Down"

#define EN_MY_COMPUTER            "My Computer"
#define EN_NETWORK_NEIGHBOURHOOD  "Network Neighbourhood"
#define EN_ENTIRE_NETWORK         "Entire Network"
#define EN_ITEM_ID_COLUMN         "OPC Item ID"
#define EN_WARNING_CAPTION        "Warning"
#define EN_ERROR_CAPTION          "Error"
#define EN_CONNECT_FAILED         "Error creating server. Server may not be correctly registered."
#define EN_SERVER_COLUMNS         "Server#|Server ID|Computer|Description"
#define EN_NOT_CONFIGURED         "<not configured>"
#define EN_CONFIRM_SERVER_CHANGE  "If you remove or change OPC server configuration,\nyou should reconfigure all channels, attached to this server.\nDo you want to continue ?"

#endif
