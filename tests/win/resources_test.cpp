// Resources compiled into tagcfg.dll: the four dialogs, the string table and
// the shared image strip, in every language the library ships.
//
// The DLL is loaded as a data file from the test executable's directory, so
// nothing of it runs; the checks read the raw resource data the way the
// dialog manager and LoadString do. Russian texts are compared as UTF-16,
// character for character: the resource compiler's code-page handling is
// what usually breaks them.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resource_ids.h"

namespace {

struct Language {
  WORD id;
  bool russian;
};

// English texts under three languages, Russian under one.
const Language kLanguages[] = {
    {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), false},          // 0x409
    {MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), false},             // 0x410
    {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), false},  // 0x804
    {MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), true},              // 0x419
};

std::string hex_language(WORD language) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(language));
  return text;
}

std::u16string lower_ascii(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return text;
}

// ---- Reading the DLL ------------------------------------------------------

const std::set<WORD> kShippedLanguages = {0x409, 0x410, 0x804, 0x419};

// RT_* are narrow unless UNICODE is defined; the wide calls need them as
// wide integer resources.
LPCWSTR wide(LPSTR type) { return MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(type)); }
const LPCWSTR kDialogType = wide(RT_DIALOG);
const LPCWSTR kStringType = wide(RT_STRING);
const LPCWSTR kBitmapType = wide(RT_BITMAP);

class ResourcesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    std::string dll(path, length);
    dll.erase(dll.find_last_of("\\/") + 1);
    dll += "tagcfg.dll";
    module_ = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "cannot load " << dll << ", error " << GetLastError();
  }

  static void TearDownTestSuite() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
  }

  void SetUp() override { ASSERT_NE(module_, nullptr); }

  // The resource's bytes in exactly that language, or empty when missing.
  static std::vector<uint8_t> bytes(LPCWSTR type, WORD id, WORD language) {
    HRSRC found = FindResourceExW(module_, type, MAKEINTRESOURCEW(id), language);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module_, found);
    if (data == nullptr || size == 0) return {};
    const uint8_t* first = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(first, first + size);
  }

  // Every language a resource exists in. FindResourceEx may fall back to
  // another language; this cannot.
  static std::set<WORD> languages_of(LPCWSTR type, WORD id) {
    std::set<WORD> found;
    EnumResourceLanguagesW(module_, type, MAKEINTRESOURCEW(id), collect_language,
                           reinterpret_cast<LONG_PTR>(&found));
    return found;
  }

  static BOOL CALLBACK collect_language(HMODULE, LPCWSTR, LPCWSTR, WORD language,
                                        LONG_PTR found) {
    reinterpret_cast<std::set<WORD>*>(found)->insert(language);
    return TRUE;
  }

  static HMODULE module_;
};

HMODULE ResourcesTest::module_ = nullptr;

// Little-endian cursor over resource data; reading past the end yields zeros
// and marks the cursor bad, so a truncated template fails the test instead
// of crashing it.
class Cursor {
 public:
  explicit Cursor(const std::vector<uint8_t>& data) : data_(data) {}

  bool ok() const { return ok_; }

  uint16_t word() {
    if (at_ + 2 > data_.size()) return fail();
    uint16_t value = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }

  uint32_t dword() {
    uint32_t low = word();
    return low | static_cast<uint32_t>(word()) << 16;
  }

  void skip(size_t count) {
    if (at_ + count > data_.size()) fail();
    else at_ += count;
  }

  void align4() { skip((4 - at_ % 4) % 4); }

  std::u16string counted(size_t length) {
    std::u16string text;
    for (size_t i = 0; i < length && ok_; ++i) text += static_cast<char16_t>(word());
    return text;
  }

  std::u16string zero_terminated() {
    std::u16string text;
    for (uint16_t c = word(); c != 0 && ok_; c = word()) text += static_cast<char16_t>(c);
    return text;
  }

  // A name-or-ordinal field: 0 = none, 0xFFFF = an ordinal follows, else a
  // string. Ordinals are returned as "#n".
  std::u16string name_or_ordinal() {
    uint16_t first = word();
    if (first == 0) return u"";
    if (first == 0xFFFF) {
      std::string number = "#" + std::to_string(word());
      return std::u16string(number.begin(), number.end());
    }
    std::u16string text(1, static_cast<char16_t>(first));
    return text + zero_terminated();
  }

 private:
  uint16_t fail() {
    ok_ = false;
    at_ = data_.size();
    return 0;
  }

  const std::vector<uint8_t>& data_;
  size_t at_ = 0;
  bool ok_ = true;
};

// ---- Dialog templates -----------------------------------------------------

struct Control {
  int32_t id;
  std::u16string window_class;  // lower case; predefined ordinals mapped to names
  std::u16string text;
  uint32_t style;
  int16_t x, y, cx, cy;
};

struct Dialog {
  bool extended;
  uint32_t style;
  int16_t cx, cy;
  std::u16string caption;
  uint16_t font_size;
  std::u16string font;
  std::vector<Control> controls;
};

std::u16string class_name(const std::u16string& raw) {
  if (raw == u"#128") return u"button";
  if (raw == u"#129") return u"edit";
  if (raw == u"#130") return u"static";
  return lower_ascii(raw);  // window classes are matched without case
}

// Parses DLGTEMPLATE / DLGTEMPLATEEX and their items.
bool parse_dialog(const std::vector<uint8_t>& data, Dialog& dialog) {
  Cursor in(data);
  uint16_t version = in.word();
  uint16_t signature = in.word();
  dialog.extended = version == 1 && signature == 0xFFFF;
  if (dialog.extended) {
    in.dword();  // help ID
    in.dword();  // extended style
    dialog.style = in.dword();
  } else {
    dialog.style = version | static_cast<uint32_t>(signature) << 16;
    in.dword();  // extended style
  }
  const uint16_t count = in.word();
  in.skip(4);  // x, y
  dialog.cx = static_cast<int16_t>(in.word());
  dialog.cy = static_cast<int16_t>(in.word());
  in.name_or_ordinal();  // menu
  in.name_or_ordinal();  // window class
  dialog.caption = in.zero_terminated();
  dialog.font_size = 0;
  if (dialog.style & DS_SETFONT) {
    dialog.font_size = in.word();
    if (dialog.extended) in.skip(4);  // weight, italic, charset
    dialog.font = in.zero_terminated();
  }
  for (uint16_t i = 0; i < count && in.ok(); ++i) {
    Control control{};
    in.align4();
    if (dialog.extended) {
      in.dword();  // help ID
      in.dword();  // extended style
      control.style = in.dword();
    } else {
      control.style = in.dword();
      in.dword();  // extended style
    }
    control.x = static_cast<int16_t>(in.word());
    control.y = static_cast<int16_t>(in.word());
    control.cx = static_cast<int16_t>(in.word());
    control.cy = static_cast<int16_t>(in.word());
    control.id = dialog.extended ? static_cast<int32_t>(in.dword())
                                 : static_cast<int16_t>(in.word());
    control.window_class = class_name(in.name_or_ordinal());
    control.text = in.name_or_ordinal();
    in.skip(in.word());  // creation data
    dialog.controls.push_back(control);
  }
  return in.ok();
}

struct ExpectedControl {
  int32_t id;
  const char16_t* window_class;
  const char16_t* english;
  const char16_t* russian;  // nullptr: same as English
};

struct ExpectedDialog {
  WORD id;
  bool extended;
  int16_t cx, cy;
  const char16_t* english_caption;
  const char16_t* russian_caption;
  std::vector<ExpectedControl> controls;  // in template (tab) order
};

const ExpectedDialog kDialogs[] = {
    {IDD_CHANNEL_SETUP, false, 329, 175, u"OPC channel setup", u"Настройка канала OPC",
     {
         {IDC_BROWSE_TREE, u"systreeview32", u"", nullptr},
         {IDC_STATIC, u"static", u"Server:", u"Сервер:"},
         {IDC_SERVER_NUMBER, u"static", u"OPC##", nullptr},
         {IDC_SERVER_PROGID, u"static", u"ProgID", nullptr},
         {IDC_STATIC, u"static", u"Computer:", u"Компьютер:"},
         {IDC_SERVER_HOSTNAME, u"static", u"hostname", nullptr},
         {IDC_STATIC, u"static", u"Description:", u"Описание:"},
         {IDC_SERVER_DESCRIPTION, u"static", u"Server description", nullptr},
         {IDC_STATIC, u"static", u"MERIDIAN channel name:", u"Канал MERIDIAN:"},
         {IDC_CHANNEL_NAME, u"edit", u"", nullptr},
         {IDC_STATIC, u"static", u"OPC Item ID:", u"Идентификатор OPC:"},
         {IDC_ITEM_ID, u"edit", u"", nullptr},
         {IDC_STATIC, u"static", u"OPC Item access path (optional):",
          u"Путь доступа (Access Path):"},
         {IDC_ACCESS_PATH, u"edit", u"", nullptr},
         {IDOK, u"button", u"OK", nullptr},
         {IDCANCEL, u"button", u"Cancel", u"Отмена"},
         {IDC_STATIC, u"static", u"ID:", nullptr},
     }},
    {IDD_SERVER_PICKER, false, 184, 196, u"Select OPC server", u"Выбор сервера OPC",
     {
         {IDC_PICKER_TREE, u"systreeview32", u"", nullptr},
         {IDOK, u"button", u"OK", nullptr},
         {IDCANCEL, u"button", u"Cancel", u"Отмена"},
     }},
    {IDD_SERVER_LIST, true, 320, 170, u"OPC server selection", u"Выбор сервера OPC",
     {
         {IDC_STATIC, u"static", u"OPC servers:", u"Серверы OPC:"},
         {IDC_SERVER_LIST, u"syslistview32", u"", nullptr},
         {IDC_ADD_SERVER, u"button", u"&Add", u"&Добавить"},
         {IDC_REMOVE_SERVER, u"button", u"&Remove", u"&Удалить"},
         {IDC_CHANGE_SERVER, u"button", u"&Change", u"&Изменить"},
         {IDOK, u"button", u"Select", u"Выбрать"},
         {IDCANCEL, u"button", u"Exit", u"Выход"},
     }},
    {IDD_ITEM_SELECTION, true, 252, 175, u"Select OPC items for autobuilding",
     u"Выбор каналов OPC для автопостроения",
     {
         {IDC_STATIC, u"static", u"OPC server name space", u"Пространство имен сервера"},
         {IDC_BROWSE_TREE, u"systreeview32", u"", nullptr},
         {IDC_ADD_ITEMS, u"button", u">>", nullptr},
         {IDC_STATIC, u"static", u"Selected items", u"Выбранные имена"},
         {IDC_SELECTED_ITEMS, u"syslistview32", u"", nullptr},
         {IDC_MOVE_UP, u"button", u"&Up", u"&Выше"},
         {IDC_MOVE_DOWN, u"button", u"&Down", u"&Ниже"},
         {IDC_REMOVE_ITEM, u"button", u"&Remove", u"&Удалить"},
         {IDOK, u"button", u"OK", nullptr},
         {IDCANCEL, u"button", u"Cancel", u"Отмена"},
     }},
};

TEST_F(ResourcesTest, EveryDialogHasItsTemplateAndTextsInEveryLanguage) {
  for (const ExpectedDialog& expected : kDialogs) {
    EXPECT_EQ(languages_of(kDialogType, expected.id), kShippedLanguages)
        << "dialog " << expected.id;
    for (const Language& language : kLanguages) {
      SCOPED_TRACE("dialog " + std::to_string(expected.id) + ", language " +
                   hex_language(language.id));
      std::vector<uint8_t> data = bytes(kDialogType, expected.id, language.id);
      ASSERT_FALSE(data.empty());
      Dialog dialog{};
      ASSERT_TRUE(parse_dialog(data, dialog)) << "template is truncated";

      EXPECT_EQ(dialog.extended, expected.extended);
      EXPECT_EQ(dialog.cx, expected.cx);
      EXPECT_EQ(dialog.cy, expected.cy);
      EXPECT_EQ(dialog.caption,
                language.russian ? expected.russian_caption : expected.english_caption);
      EXPECT_EQ(dialog.font, u"MS Sans Serif");
      EXPECT_EQ(dialog.font_size, 8);
      const uint32_t frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
      EXPECT_EQ(dialog.style & frame, frame);

      ASSERT_EQ(dialog.controls.size(), expected.controls.size());
      for (size_t i = 0; i < expected.controls.size(); ++i) {
        const ExpectedControl& want = expected.controls[i];
        const Control& got = dialog.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.window_class, want.window_class);
        EXPECT_EQ(got.text,
                  language.russian && want.russian ? want.russian : want.english);
        EXPECT_TRUE(got.style & WS_VISIBLE);
      }
    }
  }
}

// Translations change texts only: positions, sizes and styles of every
// language are those of the US English template.
TEST_F(ResourcesTest, EveryLanguageSharesOneLayout) {
  for (const ExpectedDialog& expected : kDialogs) {
    Dialog reference{};
    ASSERT_TRUE(parse_dialog(bytes(kDialogType, expected.id, 0x409), reference));
    for (const Language& language : kLanguages) {
      SCOPED_TRACE("dialog " + std::to_string(expected.id) + ", language " +
                   hex_language(language.id));
      Dialog dialog{};
      ASSERT_TRUE(parse_dialog(bytes(kDialogType, expected.id, language.id), dialog));
      EXPECT_EQ(dialog.style, reference.style);
      ASSERT_EQ(dialog.controls.size(), reference.controls.size());
      for (size_t i = 0; i < reference.controls.size(); ++i) {
        const Control& a = dialog.controls[i];
        const Control& b = reference.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i));
        EXPECT_EQ(a.style, b.style);
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        EXPECT_EQ(a.cx, b.cx);
        EXPECT_EQ(a.cy, b.cy);
      }
    }
  }
}

// The behaviour-bearing style bits the dialog code relies on.
TEST_F(ResourcesTest, ControlsCarryTheStylesTheDialogsRelyOn) {
  auto style_of = [](const Dialog& dialog, int32_t id) -> uint32_t {
    for (const Control& control : dialog.controls)
      if (control.id == id) return control.style;
    ADD_FAILURE() << "no control " << id;
    return 0;
  };
  auto dialog_of = [](WORD id) {
    Dialog dialog{};
    EXPECT_TRUE(parse_dialog(bytes(kDialogType, id, 0x409), dialog));
    return dialog;
  };

  const uint32_t kTypeMask = 0x0F;  // BS_TYPEMASK
  Dialog channel = dialog_of(IDD_CHANNEL_SETUP);
  EXPECT_TRUE(style_of(channel, IDC_BROWSE_TREE) & WS_DISABLED);
  EXPECT_TRUE(style_of(channel, IDC_CHANNEL_NAME) & ES_READONLY);
  EXPECT_FALSE(style_of(channel, IDC_CHANNEL_NAME) & WS_TABSTOP);
  EXPECT_TRUE(style_of(channel, IDC_ITEM_ID) & WS_TABSTOP);
  EXPECT_EQ(style_of(channel, IDOK) & kTypeMask, static_cast<uint32_t>(BS_DEFPUSHBUTTON));

  Dialog picker = dialog_of(IDD_SERVER_PICKER);
  EXPECT_EQ(style_of(picker, IDOK) & kTypeMask, static_cast<uint32_t>(BS_DEFPUSHBUTTON));
  EXPECT_TRUE(style_of(picker, IDC_PICKER_TREE) & 0x0200);  // TVS_TRACKSELECT

  // List views borrow the library's image list and must never destroy it.
  const uint32_t kShareImageLists = 0x0040;  // LVS_SHAREIMAGELISTS
  const uint32_t kReport = 0x0001;           // LVS_REPORT
  const uint32_t kSingleSelection = 0x0004;  // LVS_SINGLESEL
  Dialog list = dialog_of(IDD_SERVER_LIST);
  uint32_t servers = style_of(list, IDC_SERVER_LIST);
  EXPECT_EQ(servers & (kShareImageLists | kReport | kSingleSelection),
            kShareImageLists | kReport | kSingleSelection);
  EXPECT_EQ(style_of(list, IDOK) & kTypeMask, static_cast<uint32_t>(BS_DEFPUSHBUTTON));

  Dialog items = dialog_of(IDD_ITEM_SELECTION);
  uint32_t selected = style_of(items, IDC_SELECTED_ITEMS);
  EXPECT_EQ(selected & (kShareImageLists | kReport | kSingleSelection),
            kShareImageLists | kReport | kSingleSelection);
  EXPECT_TRUE(selected & 0x4000);  // LVS_NOCOLUMNHEADER
  // Enter adds items: ">>" is the default button, OK is not.
  EXPECT_EQ(style_of(items, IDC_ADD_ITEMS) & kTypeMask,
            static_cast<uint32_t>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(style_of(items, IDOK) & kTypeMask, static_cast<uint32_t>(BS_PUSHBUTTON));
}

// ---- String table ---------------------------------------------------------

struct ExpectedString {
  UINT id;
  size_t buffer;  // characters the library loads it into
  const char16_t* english;
  const char16_t* russian;
};

const ExpectedString kStrings[] = {
    {IDS_MY_COMPUTER, 80, u"My Computer", u"Мой компьютер"},
    {IDS_NETWORK_NEIGHBOURHOOD, 80, u"Network Neighbourhood", u"Сетевое окружение"},
    {IDS_ENTIRE_NETWORK, 80, u"Entire Network", u"Вся сеть"},
    {IDS_ITEM_ID_COLUMN, 80, u"OPC Item ID", u"Идентификатор"},
    {IDS_WARNING_CAPTION, 80, u"Warning", u"Предупреждение"},
    {IDS_ERROR_CAPTION, 80, u"Error", u"Ошибка"},
    {IDS_CONNECT_FAILED, 200,
     u"Error creating server. Server may not be correctly registered.",
     u"Ошибка подключения к серверу. Возможно, сервер зарегистрирован некорректно."},
    {IDS_SERVER_COLUMNS, 256, u"Server#|Server ID|Computer|Description",
     u"Сервер|Идентификатор|Компьютер|Описание"},
    {IDS_NOT_CONFIGURED, 80, u"<not configured>", u"<не настроен>"},
    {IDS_CONFIRM_SERVER_CHANGE, 256,
     u"If you remove or change OPC server configuration,\n"
     u"you should reconfigure all channels, attached to this server.\n"
     u"Do you want to continue ?",
     u"Внимание! При удалении или изменении конфигурации сервера\n"
     u"необходимо перенастроить все связанные с ним каналы.\n"
     u"Продолжать?"},
};

// A string block holds 16 counted UTF-16 strings; string n is in block
// n / 16 + 1 at position n % 16.
bool read_block(const std::vector<uint8_t>& data, std::vector<std::u16string>& strings) {
  Cursor in(data);
  strings.clear();
  for (int i = 0; i < 16 && in.ok(); ++i) strings.push_back(in.counted(in.word()));
  return in.ok();
}

TEST_F(ResourcesTest, EveryStringHasItsTextInEveryLanguage) {
  std::set<WORD> blocks;
  for (const ExpectedString& s : kStrings) blocks.insert(static_cast<WORD>(s.id / 16 + 1));

  for (WORD block : blocks) {
    EXPECT_EQ(languages_of(kStringType, block), kShippedLanguages) << "string block " << block;
    for (const Language& language : kLanguages) {
      SCOPED_TRACE("string block " + std::to_string(block) + ", language " +
                   hex_language(language.id));
      std::vector<std::u16string> strings;
      ASSERT_TRUE(read_block(bytes(kStringType, block, language.id), strings));
      for (int slot = 0; slot < 16; ++slot) {
        const UINT id = (block - 1u) * 16u + static_cast<UINT>(slot);
        const ExpectedString* want = nullptr;
        for (const ExpectedString& s : kStrings)
          if (s.id == id) want = &s;
        if (want == nullptr) {
          EXPECT_TRUE(strings[slot].empty()) << "unexpected string " << id;
          continue;
        }
        const std::u16string text = language.russian ? want->russian : want->english;
        EXPECT_EQ(strings[slot], text) << "string " << id;
        // LoadString cuts what does not fit, terminator included.
        EXPECT_LT(strings[slot].size(), want->buffer) << "string " << id;
      }
    }
  }
}

// ---- Bitmap 135 -----------------------------------------------------------

TEST_F(ResourcesTest, SharedImageStripHoldsTenImagesWithRedAsMask) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(IDB_SHARED_IMAGES), kBitmapType);
  ASSERT_NE(found, nullptr);
  const void* data = LockResource(LoadResource(module_, found));
  ASSERT_NE(data, nullptr);
  const DWORD size = SizeofResource(module_, found);
  ASSERT_GE(size, sizeof(BITMAPINFOHEADER));

  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof header);
  ASSERT_EQ(header.biWidth, SHARED_IMAGE_SIZE * SHARED_IMAGE_COUNT);
  ASSERT_EQ(header.biHeight < 0 ? -header.biHeight : header.biHeight, SHARED_IMAGE_SIZE);
  ASSERT_EQ(header.biBitCount, 24);
  ASSERT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));

  // Every image has pixels of the mask colour (pure red) around its picture
  // and is not all mask: a wrong width or a shifted strip shows up here.
  const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) & ~size_t{3};
  const uint8_t* pixels = static_cast<const uint8_t*>(data) + header.biSize;
  ASSERT_GE(size, header.biSize + stride * SHARED_IMAGE_SIZE);
  auto is_red = [&](int x, int y) {
    const uint8_t* p = pixels + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
    return p[0] == 0x00 && p[1] == 0x00 && p[2] == 0xFF;  // stored as B, G, R
  };
  for (int image = 0; image < SHARED_IMAGE_COUNT; ++image) {
    int red = 0;
    for (int y = 0; y < SHARED_IMAGE_SIZE; ++y)
      for (int x = 0; x < SHARED_IMAGE_SIZE; ++x)
        red += is_red(image * SHARED_IMAGE_SIZE + x, y);
    EXPECT_GT(red, 0) << "image " << image << " has no transparent pixel";
    EXPECT_LT(red, SHARED_IMAGE_SIZE * SHARED_IMAGE_SIZE) << "image " << image << " is empty";
  }
}

}  // namespace
