// Resources of tagcfg.dll in every language it ships, dialogs made into windows by the dialog
// manager. Russian texts are compared as UTF-16: the resource compiler's code pages break them.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>

#include <set>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "win_support.h"

namespace wintest {
namespace {

const WORD kLanguages[] = {0x409, 0x410, 0x804, 0x419};  // English texts under all but Russian
constexpr WORD kRussian = 0x419;

struct Control {
    int id;
    const wchar_t *window_class, *english, *russian;  // russian: null when the same as English
    DWORD style_mask = 0, style = 0;                  // the bits the dialog code relies on
};

struct Template {
    WORD id;
    const wchar_t *english, *russian;
    std::vector<Control> controls;  // in tab order
};

// List views borrow the library's image list and must never destroy it.
constexpr DWORD kListView = LVS_SHAREIMAGELISTS | LVS_REPORT | LVS_SINGLESEL, kType = BS_TYPEMASK;

// clang-format off
const Template kDialogs[] = {
    {IDD_CHANNEL_SETUP, L"OPC channel setup", L"Настройка канала OPC",
     {
         {IDC_BROWSE_TREE, L"SysTreeView32", L"", nullptr, WS_DISABLED, WS_DISABLED},
         {IDC_STATIC, L"Static", L"Server:", L"Сервер:"},
         {IDC_SERVER_NUMBER, L"Static", L"OPC##", nullptr},
         {IDC_SERVER_PROGID, L"Static", L"ProgID", nullptr},
         {IDC_STATIC, L"Static", L"Computer:", L"Компьютер:"},
         {IDC_SERVER_HOSTNAME, L"Static", L"hostname", nullptr},
         {IDC_STATIC, L"Static", L"Description:", L"Описание:"},
         {IDC_SERVER_DESCRIPTION, L"Static", L"Server description", nullptr},
         {IDC_STATIC, L"Static", L"MERIDIAN channel name:", L"Канал MERIDIAN:"},
         {IDC_CHANNEL_NAME, L"Edit", L"", nullptr, ES_READONLY | WS_TABSTOP, ES_READONLY},
         {IDC_STATIC, L"Static", L"OPC Item ID:", L"Идентификатор OPC:"},
         {IDC_ITEM_ID, L"Edit", L"", nullptr, ES_READONLY | WS_TABSTOP, WS_TABSTOP},
         {IDC_STATIC, L"Static", L"OPC Item access path (optional):", L"Путь доступа (Access Path):"},
         {IDC_ACCESS_PATH, L"Edit", L"", nullptr},
         {IDOK, L"Button", L"OK", nullptr, kType, BS_DEFPUSHBUTTON},
         {IDCANCEL, L"Button", L"Cancel", L"Отмена"},
         {IDC_STATIC, L"Static", L"ID:", nullptr},
     }},
    {IDD_SERVER_PICKER, L"Select OPC server", L"Выбор сервера OPC",
     {
         {IDC_PICKER_TREE, L"SysTreeView32", L"", nullptr, TVS_TRACKSELECT, TVS_TRACKSELECT},
         {IDOK, L"Button", L"OK", nullptr, kType, BS_DEFPUSHBUTTON},
         {IDCANCEL, L"Button", L"Cancel", L"Отмена"},
     }},
    {IDD_SERVER_LIST, L"OPC server selection", L"Выбор сервера OPC",
     {
         {IDC_STATIC, L"Static", L"OPC servers:", L"Серверы OPC:"},
         {IDC_SERVER_LIST, L"SysListView32", L"", nullptr, kListView, kListView},
         {IDC_ADD_SERVER, L"Button", L"&Add", L"&Добавить"},
         {IDC_REMOVE_SERVER, L"Button", L"&Remove", L"&Удалить"},
         {IDC_CHANGE_SERVER, L"Button", L"&Change", L"&Изменить"},
         {IDOK, L"Button", L"Select", L"Выбрать", kType, BS_DEFPUSHBUTTON},
         {IDCANCEL, L"Button", L"Exit", L"Выход"},
     }},
    {IDD_ITEM_SELECTION, L"Select OPC items for autobuilding", L"Выбор каналов OPC для автопостроения",
     {
         {IDC_STATIC, L"Static", L"OPC server name space", L"Пространство имен сервера"},
         {IDC_BROWSE_TREE, L"SysTreeView32", L"", nullptr},
         {IDC_ADD_ITEMS, L"Button", L">>", nullptr, kType, BS_DEFPUSHBUTTON},  // Enter adds items, not OK
         {IDC_STATIC, L"Static", L"Selected items", L"Выбранные имена"},
         {IDC_SELECTED_ITEMS, L"SysListView32", L"", nullptr, kListView | LVS_NOCOLUMNHEADER,
          kListView | LVS_NOCOLUMNHEADER},
         {IDC_MOVE_UP, L"Button", L"&Up", L"&Выше"},
         {IDC_MOVE_DOWN, L"Button", L"&Down", L"&Ниже"},
         {IDC_REMOVE_ITEM, L"Button", L"&Remove", L"&Удалить"},
         {IDOK, L"Button", L"OK", nullptr, kType, BS_PUSHBUTTON},
         {IDCANCEL, L"Button", L"Cancel", L"Отмена"},
     }},
};
// clang-format on

BOOL CALLBACK collect_language(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::set<WORD> *>(found)->insert(language);
    return TRUE;
}

// Every language a resource exists in: FindResourceEx alone may fall back to another one.
std::set<WORD> languages_of(LPCSTR type, WORD id) {
    std::set<WORD> found;
    EnumResourceLanguagesA(tagcfg_dll(), type, MAKEINTRESOURCEA(id), collect_language,
                           reinterpret_cast<LONG_PTR>(&found));
    return found;
}

const void *resource(LPCSTR type, WORD id, WORD language, DWORD *size = nullptr) {
    HRSRC found = FindResourceExA(tagcfg_dll(), type, MAKEINTRESOURCEA(id), language);
    if (size) *size = found ? SizeofResource(tagcfg_dll(), found) : 0;
    return found ? LockResource(LoadResource(tagcfg_dll(), found)) : nullptr;
}

std::wstring text_of(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// FALSE: no focus is set, so no button takes or loses the default style.
INT_PTR CALLBACK idle_dialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(Resources, EveryDialogHasItsControlsAndTextsInEveryLanguage) {
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    for (const Template &expected : kDialogs) {
        EXPECT_THAT(languages_of(RT_DIALOG, expected.id), ::testing::UnorderedElementsAreArray(kLanguages))
            << "dialog " << expected.id;
        for (WORD language : kLanguages) {
            SCOPED_TRACE("dialog " + std::to_string(expected.id) + ", language " + std::to_string(language));
            auto layout = static_cast<const DLGTEMPLATE *>(resource(RT_DIALOG, expected.id, language));
            ASSERT_NE(layout, nullptr);
            HWND dialog = CreateDialogIndirectParamW(tagcfg_dll(), layout, nullptr, idle_dialog, 0);
            ASSERT_NE(dialog, nullptr);
            const bool russian = language == kRussian;
            EXPECT_EQ(text_of(dialog), russian ? expected.russian : expected.english);
            EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & frame, frame);
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
            // 8 points at the screen's resolution, as the dialog manager makes the template's font.
            HDC screen = GetDC(nullptr);
            EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
            ReleaseDC(nullptr, screen);

            size_t i = 0;
            for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i) {
                ASSERT_LT(i, expected.controls.size()) << "more controls than expected";
                SCOPED_TRACE("control #" + std::to_string(i));
                const Control &want = expected.controls[i];
                wchar_t window_class[64] = L"";
                GetClassNameW(c, window_class, 64);
                EXPECT_EQ(LOWORD(GetDlgCtrlID(c)), LOWORD(want.id));
                EXPECT_STREQ(window_class, want.window_class);
                EXPECT_EQ(text_of(c), russian && want.russian ? want.russian : want.english);
                EXPECT_EQ(GetWindowLongW(c, GWL_STYLE) & (WS_VISIBLE | want.style_mask), WS_VISIBLE | want.style);
            }
            EXPECT_EQ(i, expected.controls.size());
            DestroyWindow(dialog);
        }
    }
}

TEST(Resources, EveryStringHasItsTextInEveryLanguageAndFitsTheBufferItIsLoadedInto) {
    const struct {
        UINT id;
        size_t buffer;  // characters the library loads it into
        const wchar_t *english, *russian;
    } strings[] = {
        {IDS_MY_COMPUTER, 80, L"My Computer", L"Мой компьютер"},
        {IDS_NETWORK_NEIGHBOURHOOD, 80, L"Network Neighbourhood", L"Сетевое окружение"},
        {IDS_ENTIRE_NETWORK, 80, L"Entire Network", L"Вся сеть"},
        {IDS_ITEM_ID_COLUMN, 80, L"OPC Item ID", L"Идентификатор"},
        {IDS_WARNING_CAPTION, 80, L"Warning", L"Предупреждение"},
        {IDS_ERROR_CAPTION, 80, L"Error", L"Ошибка"},
        {IDS_CONNECT_FAILED, 256, L"Error creating server. Server may not be correctly registered.",
         L"Ошибка подключения к серверу. Возможно, сервер зарегистрирован некорректно."},
        {IDS_SERVER_COLUMNS, 80, L"Server#|Server ID|Computer|Description", L"Сервер|Идентификатор|Компьютер|Описание"},
        {IDS_NOT_CONFIGURED, 80, L"<not configured>", L"<не настроен>"},
        {IDS_CONFIRM_SERVER_CHANGE, 256,
         L"If you remove or change OPC server configuration,\nyou should reconfigure all channels, attached to this "
         L"server.\nDo you want to continue ?",
         L"Внимание! При удалении или изменении конфигурации сервера\nнеобходимо перенастроить все связанные с ним "
         L"каналы.\nПродолжать?"},
    };
    // String n is the (n % 16)th of 16 counted UTF-16 strings in block n / 16 + 1.
    for (const auto &want : strings) {
        const WORD block = static_cast<WORD>(want.id / 16 + 1);
        EXPECT_THAT(languages_of(RT_STRING, block), ::testing::UnorderedElementsAreArray(kLanguages));
        for (WORD language : kLanguages) {
            SCOPED_TRACE("string " + std::to_string(want.id) + ", language " + std::to_string(language));
            DWORD size = 0;
            auto data = static_cast<const wchar_t *>(resource(RT_STRING, block, language, &size));
            const wchar_t *end = data + size / sizeof(wchar_t);
            for (UINT skip = want.id % 16; data && data < end && skip; --skip) data += 1 + *data;
            ASSERT_TRUE(data && data < end && data + 1 + *data <= end) << "block missing or truncated";
            const std::wstring text(data + 1, *data);
            EXPECT_EQ(text, language == kRussian ? want.russian : want.english);
            EXPECT_LT(text.size(), want.buffer);  // LoadString cuts the rest
        }
    }
}

}  // namespace
}  // namespace wintest
