// Resources compiled into tagcfg.dll: the four dialogs, the string table and the shared image
// strip, in every language the library ships. The DLL is loaded as a data file and the raw data
// is read as the dialog manager and LoadString read it. Russian texts are compared as UTF-16,
// character for character: the resource compiler's code-page handling is what usually breaks them.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "resource_ids.h"
#include "test_files.h"

namespace wintest {
namespace {

// English texts under three languages, Russian under the last.
const WORD kLanguages[] = {0x409, 0x410, 0x804, 0x419};
const WORD kRussian = 0x419;
const std::set<WORD> kShippedLanguages(std::begin(kLanguages), std::end(kLanguages));

class ResourcesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExA((executable_directory() + "\\tagcfg.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module_); }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot load tagcfg.dll as data"; }

    // RT_* are narrow unless UNICODE is defined; the wide calls need them as integer resources.
    static LPCWSTR wide(LPSTR type) { return MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(type)); }
    // The resource's bytes in exactly that language, or empty when missing.
    static std::vector<uint8_t> bytes(LPSTR type, WORD id, WORD language) {
        HRSRC found = FindResourceExW(module_, wide(type), MAKEINTRESOURCEW(id), language);
        const auto *data = found ? static_cast<const uint8_t *>(LockResource(LoadResource(module_, found))) : nullptr;
        return data ? std::vector<uint8_t>(data, data + SizeofResource(module_, found)) : std::vector<uint8_t>();
    }
    // Every language a resource exists in (FindResourceEx may fall back to another one).
    static std::set<WORD> languages_of(LPSTR type, WORD id) {
        std::set<WORD> found;
        EnumResourceLanguagesW(module_, wide(type), MAKEINTRESOURCEW(id), collect, reinterpret_cast<LONG_PTR>(&found));
        return found;
    }
    static BOOL CALLBACK collect(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
        return reinterpret_cast<std::set<WORD> *>(found)->insert(language), TRUE;
    }

    static HMODULE module_;
};

HMODULE ResourcesTest::module_ = nullptr;

// Little-endian reader; reading past the end yields zeros and clears ok, so a truncated resource
// fails the test instead of crashing it.
struct Cursor {
    const std::vector<uint8_t> &data;
    size_t at = 0;
    bool ok = true;

    uint16_t word() {
        if (at + 2 > data.size()) return ok = false, 0;
        at += 2;
        return static_cast<uint16_t>(data[at - 2] | data[at - 1] << 8);
    }
    uint32_t dword() {
        uint32_t low = word();
        return low | static_cast<uint32_t>(word()) << 16;
    }
    std::u16string text(size_t length = SIZE_MAX) {  // counted, or up to a zero
        std::u16string text;
        for (uint16_t c; text.size() < length && (c = word()) != 0 && ok;) text += static_cast<char16_t>(c);
        return text;
    }
    // 0: none, 0xFFFF: an ordinal follows (predefined window classes are named), else a string.
    std::u16string name_or_ordinal() {
        const uint16_t first = word();
        if (first != 0xFFFF) return first ? static_cast<char16_t>(first) + text() : u"";
        const uint16_t ordinal = word();
        return ordinal == 0x80 ? u"button" : ordinal == 0x81 ? u"edit" : ordinal == 0x82 ? u"static" : u"#";
    }
};

struct Control {
    int32_t id;
    std::u16string window_class, text;
    uint32_t style;
    int16_t x, y, cx, cy;
};

struct Dialog {
    bool extended;
    uint32_t style;
    int16_t cx, cy;
    std::u16string caption, font;
    uint16_t font_size;
    std::vector<Control> controls;
};

// DLGTEMPLATE or DLGTEMPLATEEX with its items.
bool parse_dialog(const std::vector<uint8_t> &data, Dialog &dialog) {
    Cursor in{data};
    const uint16_t version = in.word(), signature = in.word();
    dialog.extended = version == 1 && signature == 0xFFFF;
    if (dialog.extended) in.at += 8;  // help ID, extended style
    dialog.style = dialog.extended ? in.dword() : version | static_cast<uint32_t>(signature) << 16;
    if (!dialog.extended) in.at += 4;  // extended style
    const uint16_t count = in.word();
    in.at += 4;  // x, y
    dialog.cx = static_cast<int16_t>(in.word());
    dialog.cy = static_cast<int16_t>(in.word());
    in.name_or_ordinal();  // menu
    in.name_or_ordinal();  // window class
    dialog.caption = in.text();
    dialog.font_size = (dialog.style & DS_SETFONT) ? in.word() : 0;
    if (dialog.style & DS_SETFONT) in.at += dialog.extended ? 4 : 0;  // weight, italic, charset
    if (dialog.style & DS_SETFONT) dialog.font = in.text();
    for (uint16_t i = 0; i < count && in.ok; ++i) {
        Control control{};
        in.at = (in.at + 3) & ~size_t{3};
        if (dialog.extended) in.at += 8;  // help ID, extended style
        control.style = in.dword();
        if (!dialog.extended) in.at += 4;  // extended style
        for (int16_t *field : {&control.x, &control.y, &control.cx, &control.cy})
            *field = static_cast<int16_t>(in.word());
        control.id = dialog.extended ? static_cast<int32_t>(in.dword()) : static_cast<int16_t>(in.word());
        control.window_class = in.name_or_ordinal();
        std::transform(control.window_class.begin(), control.window_class.end(), control.window_class.begin(),
                       [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; });
        control.text = in.name_or_ordinal();
        in.at += in.word();  // creation data
        dialog.controls.push_back(control);
    }
    return in.ok;
}

struct ExpectedControl {
    int32_t id;
    const char16_t *window_class, *english;
    const char16_t *russian;             // nullptr: same as English
    uint32_t style_mask = 0, style = 0;  // the behaviour-bearing bits the dialog code relies on
};

struct ExpectedDialog {
    WORD id;
    bool extended;
    int16_t cx, cy;
    const char16_t *english_caption, *russian_caption;
    std::vector<ExpectedControl> controls;  // in template (tab) order
};

// List views borrow the library's image list and must never destroy it.
const uint32_t kListView = LVS_SHAREIMAGELISTS | LVS_REPORT | LVS_SINGLESEL, kType = BS_TYPEMASK;

// One dialog per entry, its header on one line:
// clang-format off
const ExpectedDialog kDialogs[] = {
    {IDD_CHANNEL_SETUP, false, 329, 175, u"OPC channel setup", u"Настройка канала OPC",
     {
         {IDC_BROWSE_TREE, u"systreeview32", u"", nullptr, WS_DISABLED, WS_DISABLED},
         {IDC_STATIC, u"static", u"Server:", u"Сервер:"},
         {IDC_SERVER_NUMBER, u"static", u"OPC##", nullptr},
         {IDC_SERVER_PROGID, u"static", u"ProgID", nullptr},
         {IDC_STATIC, u"static", u"Computer:", u"Компьютер:"},
         {IDC_SERVER_HOSTNAME, u"static", u"hostname", nullptr},
         {IDC_STATIC, u"static", u"Description:", u"Описание:"},
         {IDC_SERVER_DESCRIPTION, u"static", u"Server description", nullptr},
         {IDC_STATIC, u"static", u"MERIDIAN channel name:", u"Канал MERIDIAN:"},
         {IDC_CHANNEL_NAME, u"edit", u"", nullptr, ES_READONLY | WS_TABSTOP, ES_READONLY},
         {IDC_STATIC, u"static", u"OPC Item ID:", u"Идентификатор OPC:"},
         {IDC_ITEM_ID, u"edit", u"", nullptr, ES_READONLY | WS_TABSTOP, WS_TABSTOP},
         {IDC_STATIC, u"static", u"OPC Item access path (optional):", u"Путь доступа (Access Path):"},
         {IDC_ACCESS_PATH, u"edit", u"", nullptr},
         {IDOK, u"button", u"OK", nullptr, kType, BS_DEFPUSHBUTTON},
         {IDCANCEL, u"button", u"Cancel", u"Отмена"},
         {IDC_STATIC, u"static", u"ID:", nullptr},
     }},
    {IDD_SERVER_PICKER, false, 184, 196, u"Select OPC server", u"Выбор сервера OPC",
     {
         {IDC_PICKER_TREE, u"systreeview32", u"", nullptr, TVS_TRACKSELECT, TVS_TRACKSELECT},
         {IDOK, u"button", u"OK", nullptr, kType, BS_DEFPUSHBUTTON},
         {IDCANCEL, u"button", u"Cancel", u"Отмена"},
     }},
    {IDD_SERVER_LIST, true, 320, 170, u"OPC server selection", u"Выбор сервера OPC",
     {
         {IDC_STATIC, u"static", u"OPC servers:", u"Серверы OPC:"},
         {IDC_SERVER_LIST, u"syslistview32", u"", nullptr, kListView, kListView},
         {IDC_ADD_SERVER, u"button", u"&Add", u"&Добавить"},
         {IDC_REMOVE_SERVER, u"button", u"&Remove", u"&Удалить"},
         {IDC_CHANGE_SERVER, u"button", u"&Change", u"&Изменить"},
         {IDOK, u"button", u"Select", u"Выбрать", kType, BS_DEFPUSHBUTTON},
         {IDCANCEL, u"button", u"Exit", u"Выход"},
     }},
    {IDD_ITEM_SELECTION, true, 252, 175, u"Select OPC items for autobuilding", u"Выбор каналов OPC для автопостроения",
     {
         {IDC_STATIC, u"static", u"OPC server name space", u"Пространство имен сервера"},
         {IDC_BROWSE_TREE, u"systreeview32", u"", nullptr},
         {IDC_ADD_ITEMS, u"button", u">>", nullptr, kType, BS_DEFPUSHBUTTON},  // Enter adds items, not OK
         {IDC_STATIC, u"static", u"Selected items", u"Выбранные имена"},
         {IDC_SELECTED_ITEMS, u"syslistview32", u"", nullptr, kListView | LVS_NOCOLUMNHEADER,
          kListView | LVS_NOCOLUMNHEADER},
         {IDC_MOVE_UP, u"button", u"&Up", u"&Выше"},
         {IDC_MOVE_DOWN, u"button", u"&Down", u"&Ниже"},
         {IDC_REMOVE_ITEM, u"button", u"&Remove", u"&Удалить"},
         {IDOK, u"button", u"OK", nullptr, kType, BS_PUSHBUTTON},
         {IDCANCEL, u"button", u"Cancel", u"Отмена"},
     }},
};
// clang-format on

// Translations change texts only: positions, sizes and styles are those of the US English template.
TEST_F(ResourcesTest, EveryDialogHasItsTemplateTextsStylesAndOneLayoutInEveryLanguage) {
    const uint32_t frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    for (const ExpectedDialog &expected : kDialogs) {
        EXPECT_EQ(languages_of(RT_DIALOG, expected.id), kShippedLanguages) << "dialog " << expected.id;
        Dialog reference{};
        ASSERT_TRUE(parse_dialog(bytes(RT_DIALOG, expected.id, 0x409), reference)) << "dialog " << expected.id;
        for (WORD language : kLanguages) {
            SCOPED_TRACE("dialog " + std::to_string(expected.id) + ", language " + std::to_string(language));
            const bool russian = language == kRussian;
            Dialog dialog{};
            ASSERT_TRUE(parse_dialog(bytes(RT_DIALOG, expected.id, language), dialog)) << "missing or truncated";
            EXPECT_EQ(std::tie(dialog.extended, dialog.cx, dialog.cy),
                      std::tie(expected.extended, expected.cx, expected.cy));
            EXPECT_EQ(dialog.caption, russian ? expected.russian_caption : expected.english_caption);
            EXPECT_EQ(dialog.font, u"MS Sans Serif");
            EXPECT_EQ(dialog.font_size, 8);
            EXPECT_EQ(dialog.style & frame, frame);
            EXPECT_EQ(dialog.style, reference.style);
            ASSERT_EQ(dialog.controls.size(), expected.controls.size());
            for (size_t i = 0; i < expected.controls.size(); ++i) {
                SCOPED_TRACE("control #" + std::to_string(i));
                const ExpectedControl &want = expected.controls[i];
                const Control &got = dialog.controls[i], &ref = reference.controls[i];
                EXPECT_EQ(got.id, want.id);
                EXPECT_EQ(got.window_class, want.window_class);
                EXPECT_EQ(got.text, russian && want.russian ? want.russian : want.english);
                EXPECT_EQ(got.style & (WS_VISIBLE | want.style_mask), WS_VISIBLE | want.style);
                EXPECT_EQ(std::tie(got.style, got.x, got.y, got.cx, got.cy),
                          std::tie(ref.style, ref.x, ref.y, ref.cx, ref.cy));
            }
        }
    }
}

struct ExpectedString {
    UINT id;
    size_t buffer;  // characters the library loads it into
    const char16_t *english, *russian;
};

const ExpectedString kStrings[] = {
    {IDS_MY_COMPUTER, 80, u"My Computer", u"Мой компьютер"},
    {IDS_NETWORK_NEIGHBOURHOOD, 80, u"Network Neighbourhood", u"Сетевое окружение"},
    {IDS_ENTIRE_NETWORK, 80, u"Entire Network", u"Вся сеть"},
    {IDS_ITEM_ID_COLUMN, 80, u"OPC Item ID", u"Идентификатор"},
    {IDS_WARNING_CAPTION, 80, u"Warning", u"Предупреждение"},
    {IDS_ERROR_CAPTION, 80, u"Error", u"Ошибка"},
    {IDS_CONNECT_FAILED, 200, u"Error creating server. Server may not be correctly registered.",
     u"Ошибка подключения к серверу. Возможно, сервер зарегистрирован некорректно."},
    {IDS_SERVER_COLUMNS, 256, u"Server#|Server ID|Computer|Description", u"Сервер|Идентификатор|Компьютер|Описание"},
    {IDS_NOT_CONFIGURED, 80, u"<not configured>", u"<не настроен>"},
    {IDS_CONFIRM_SERVER_CHANGE, 256,
     u"If you remove or change OPC server configuration,\n"
     u"you should reconfigure all channels, attached to this server.\n"
     u"Do you want to continue ?",
     u"Внимание! При удалении или изменении конфигурации сервера\n"
     u"необходимо перенастроить все связанные с ним каналы.\n"
     u"Продолжать?"},
};

// String n is the (n % 16)th of 16 counted UTF-16 strings in block n / 16 + 1.
TEST_F(ResourcesTest, EveryStringHasItsTextInEveryLanguage) {
    std::set<WORD> blocks;
    for (const ExpectedString &s : kStrings) blocks.insert(static_cast<WORD>(s.id / 16 + 1));
    for (WORD block : blocks) {
        EXPECT_EQ(languages_of(RT_STRING, block), kShippedLanguages) << "string block " << block;
        for (WORD language : kLanguages) {
            SCOPED_TRACE("string block " + std::to_string(block) + ", language " + std::to_string(language));
            const std::vector<uint8_t> data = bytes(RT_STRING, block, language);
            Cursor in{data};
            for (UINT id = (block - 1u) * 16u; id < block * 16u; ++id) {
                const std::u16string text = in.text(in.word());
                auto want = std::find_if(std::begin(kStrings), std::end(kStrings),
                                         [&](const ExpectedString &s) { return s.id == id; });
                if (want == std::end(kStrings)) {
                    EXPECT_TRUE(text.empty()) << "unexpected string " << id;
                    continue;
                }
                EXPECT_EQ(text, language == kRussian ? want->russian : want->english) << "string " << id;
                EXPECT_LT(text.size(), want->buffer) << "string " << id;  // LoadString cuts the rest
            }
            EXPECT_TRUE(in.ok) << "block missing or truncated";
        }
    }
}

// Every image has pixels of the mask colour (pure red) around its picture and is not all mask:
// a wrong width or a shifted strip shows up here.
TEST_F(ResourcesTest, SharedImageStripHoldsTenImagesWithRedAsMask) {
    const std::vector<uint8_t> data = bytes(RT_BITMAP, IDB_SHARED_IMAGES, LANG_NEUTRAL);
    BITMAPINFOHEADER header{};
    ASSERT_GE(data.size(), sizeof header);
    std::memcpy(&header, data.data(), sizeof header);
    ASSERT_EQ(std::make_tuple(header.biWidth, std::abs(header.biHeight), header.biBitCount, header.biCompression),
              std::make_tuple(LONG{SHARED_IMAGE_SIZE * SHARED_IMAGE_COUNT}, LONG{SHARED_IMAGE_SIZE}, WORD{24},
                              DWORD{BI_RGB}));
    const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) & ~size_t{3};
    ASSERT_GE(data.size(), header.biSize + stride * SHARED_IMAGE_SIZE);
    for (int image = 0; image < SHARED_IMAGE_COUNT; ++image) {
        int red = 0;
        for (int y = 0; y < SHARED_IMAGE_SIZE; ++y)
            for (int x = image * SHARED_IMAGE_SIZE; x < (image + 1) * SHARED_IMAGE_SIZE; ++x) {
                const uint8_t *p = data.data() + header.biSize + static_cast<size_t>(y) * stride + x * 3u;
                red += p[0] == 0x00 && p[1] == 0x00 && p[2] == 0xFF;  // stored as B, G, R
            }
        EXPECT_GT(red, 0) << "image " << image << " has no transparent pixel";
        EXPECT_LT(red, SHARED_IMAGE_SIZE * SHARED_IMAGE_SIZE) << "image " << image << " is empty";
    }
}

}  // namespace
}  // namespace wintest
