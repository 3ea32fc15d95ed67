/*
 * Resource identifiers of tagcfg: dialogs, their controls, strings and the
 * shared image strip.
 *
 * Included by the resource script (windres/rc) and by the C++ sources, so it
 * must stay plain #defines: no enums, no types, no C++ comments in macros.
 * The numbers are part of the library's resource layout; do not renumber.
 * Control IDs are unique within their dialog only: 1002 and 1012/1013 are
 * reused across dialogs on purpose, with a name per meaning.
 */
#ifndef TAGCFG_RESOURCE_IDS_H
#define TAGCFG_RESOURCE_IDS_H

/* ---- Dialog templates ---------------------------------------------------- */

#define IDD_CHANNEL_SETUP           102   /* "OPC channel setup" */
#define IDD_SERVER_PICKER           103   /* "Select OPC server" */
#define IDD_SERVER_LIST             104   /* "OPC server selection" */
#define IDD_ITEM_SELECTION          106   /* "Select OPC items for autobuilding" */

/* Labels that code never touches. */
#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

/* IDOK (1) and IDCANCEL (2) come from <windows.h>; every dialog has both. */

/* ---- Channel setup dialog (102) ------------------------------------------ */

#define IDC_CHANNEL_NAME            1000  /* edit, read-only: the host's channel name */
#define IDC_BROWSE_TREE             1002  /* tree view: the server's address space (also in 106) */
#define IDC_ITEM_ID                 1005  /* edit: OPC item ID */
#define IDC_ACCESS_PATH             1006  /* edit: optional access path */
#define IDC_SERVER_NUMBER           1012  /* label: "OPC%d" */
#define IDC_SERVER_PROGID           1013  /* label: progid */
#define IDC_SERVER_DESCRIPTION      1014  /* label: description */
#define IDC_SERVER_HOSTNAME         1015  /* label: hostname */

/* ---- Server picker dialog (103) ------------------------------------------ */

#define IDC_PICKER_TREE             1009  /* tree view: My Computer / Network Neighbourhood */

/* ---- Server list dialog (104) -------------------------------------------- */

#define IDC_SERVER_LIST             1010  /* list view: one row per server slot */
#define IDC_ADD_SERVER              1011  /* "&Add" */
#define IDC_REMOVE_SERVER           1012  /* "&Remove" */
#define IDC_CHANGE_SERVER           1013  /* "&Change" */

/* ---- Item selection dialog (106) ----------------------------------------- */

/* IDC_BROWSE_TREE (1002) is the address-space tree here as well. */
#define IDC_SELECTED_ITEMS          1016  /* list view: chosen item IDs */
#define IDC_MOVE_UP                 1017  /* "&Up" */
#define IDC_MOVE_DOWN               1018  /* "&Down" */
#define IDC_REMOVE_ITEM             1019  /* "&Remove" */
#define IDC_ADD_ITEMS               1020  /* ">>", the default button */

/* ---- Strings ------------------------------------------------------------- */

#define IDS_MY_COMPUTER             4096  /* picker root */
#define IDS_NETWORK_NEIGHBOURHOOD   4097  /* picker root */
#define IDS_ENTIRE_NETWORK          4098  /* network root container */
#define IDS_ITEM_ID_COLUMN          4099  /* column title of list 1016 */
#define IDS_WARNING_CAPTION         61205 /* caption of the server change confirmations */
#define IDS_ERROR_CAPTION           61206 /* caption of the connect failure message */
#define IDS_CONNECT_FAILED          61220 /* connect failure message */
#define IDS_SERVER_COLUMNS          61225 /* list 1010 headers, separated by '|' */
#define IDS_NOT_CONFIGURED          61226 /* Server ID column of an empty slot */
#define IDS_CONFIRM_SERVER_CHANGE   61227 /* remove/change confirmation, three lines */

/* ---- Bitmap: the shared image list --------------------------------------- */

/* Ten 16x16 images side by side; pure red (COLORREF 0x000000FF) is transparent. */
#define IDB_SHARED_IMAGES           135
#define SHARED_IMAGE_SIZE           16
#define SHARED_IMAGE_COUNT          10

/* Image indexes inside IDB_SHARED_IMAGES. */
#define IMAGE_OPC_SERVER            0
#define IMAGE_BRANCH                1
#define IMAGE_LEAF                  2
#define IMAGE_MY_COMPUTER           3
#define IMAGE_NETWORK_NEIGHBOURHOOD 4
#define IMAGE_NETWORK               5
#define IMAGE_COMPUTER              6
#define IMAGE_DOMAIN                7
#define IMAGE_ENTIRE_NETWORK        8
#define IMAGE_EMPTY_SERVER_SLOT     9

#endif /* TAGCFG_RESOURCE_IDS_H */
