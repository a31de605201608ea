// The three language libraries hold every resource the program loads by id,
// with the controls of each dialog, in their own language.
#include "lang/resource.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Language {
    const wchar_t* file;
    LANGID id;
    const wchar_t* loginText;  // string 117, to see the texts arrive intact
};

const Language kLanguages[] = {
    {L"vnEng.dll", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"&Log In..."},
    {L"vnChs.dll", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), L"登录(&L)..."},
    {L"vnCht.dll", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), L"登入(&L)..."},
};

enum Kind { Edit, Push, Check, Combo, DropList, List, Text, Spin, Icon };

struct ControlSpec {
    int id;
    Kind kind;
};

struct DialogSpec {
    int id;
    std::vector<ControlSpec> controls;
};

const std::vector<DialogSpec>& Dialogs()
{
    static const std::vector<DialogSpec> dialogs = {
        {IDD_ABOUT, {{IDOK, Push}, {IDC_ABOUT_VERSION, Text}, {IDC_ABOUT_ICON, Icon}}},
        {IDD_DESIGNER, {}},
        {IDD_GENERAL_PAGE,
         {{IDC_GENERAL_CAPTION, Combo}, {IDC_GENERAL_NOTE, Edit}, {IDC_GENERAL_ICON_FILE, Edit},
          {IDC_GENERAL_ICON_BROWSE, Push}, {IDC_GENERAL_SUBMENU, Check}, {IDC_GENERAL_SEPARATOR, Check}}},
        {IDD_KEYS_PAGE, {{IDC_KEYS_TEXT, Edit}, {IDC_KEYS_PRESS_ENTER, Check}, {IDC_KEYS_ENCIPHER, Check}}},
        {IDD_COMMAND_PAGE,
         {{IDC_COMMAND_TARGET, Edit}, {IDC_COMMAND_PARAMETERS, Edit}, {IDC_COMMAND_SHELL, DropList},
          {IDC_COMMAND_ARGUMENT, Edit}, {IDC_COMMAND_BROWSE, Push}}},
        {IDD_NEW_MENU_FILE,
         {{IDC_NEWFILE_PATH, Edit}, {IDC_NEWFILE_BROWSE, Push}, {IDC_NEWFILE_MENU_NAME, Edit},
          {IDC_NEWFILE_USER, Edit}, {IDC_NEWFILE_PASSWORD, Edit}, {IDOK, Push}, {IDCANCEL, Push}, {ID_HELP, Push}}},
        {IDD_LOGIN,
         {{IDC_LOGIN_FILE, Edit}, {IDC_LOGIN_BROWSE, Push}, {IDC_LOGIN_MENU_LIST, List}, {IDC_LOGIN_USER, Edit},
          {IDC_LOGIN_PASSWORD, Edit}, {IDC_LOGIN_ITEM_KEY, Edit}, {IDC_LOGIN_REMEMBER_PASSWORD, Check},
          {IDC_LOGIN_REMEMBER_KEY, Check}, {IDC_LOGIN_AUTO_ENTER, Check}, {IDC_LOGIN_MINUTES, Edit},
          {IDC_LOGIN_MINUTES_SPIN, Spin}, {IDOK, Push}, {IDCANCEL, Push}}},
        {IDD_USERS,
         {{ID_USER_ADD, Push}, {ID_USER_DELETE, Push}, {ID_USER_EDIT, Push}, {ID_USER_PASSWORD, Push},
          {ID_USERS_CLOSE, Push}}},
        {IDD_CHANGE_PASSWORD, {{IDC_NEW_PASSWORD, Edit}, {IDC_CONFIRM_PASSWORD, Edit}, {IDOK, Push}, {IDCANCEL, Push}}},
        {IDD_NEW_USER,
         {{IDC_USER_NAME, Edit}, {IDC_USER_PASSWORD, Edit}, {IDC_USER_PASSWORD_AGAIN, Edit},
          {IDC_USER_READ_ONLY, Check}, {IDOK, Push}, {IDCANCEL, Push}}},
        {IDD_USER_PROPERTIES, {{IDC_USER_NAME, Edit}, {IDC_USER_READ_ONLY, Check}, {IDOK, Push}, {IDCANCEL, Push}}},
        {IDD_SET_PASSWORD,
         {{IDC_SETPW_USER_NAME, Text}, {IDC_NEW_PASSWORD, Edit}, {IDC_CONFIRM_PASSWORD, Edit}, {IDOK, Push},
          {IDCANCEL, Push}}},
    };
    return dialogs;
}

// Password fields must not show what is typed.
const int kPasswordEdits[][2] = {
    {IDD_NEW_MENU_FILE, IDC_NEWFILE_PASSWORD}, {IDD_LOGIN, IDC_LOGIN_PASSWORD},  {IDD_LOGIN, IDC_LOGIN_ITEM_KEY},
    {IDD_CHANGE_PASSWORD, IDC_NEW_PASSWORD},   {IDD_CHANGE_PASSWORD, IDC_CONFIRM_PASSWORD},
    {IDD_NEW_USER, IDC_USER_PASSWORD},         {IDD_NEW_USER, IDC_USER_PASSWORD_AGAIN},
    {IDD_SET_PASSWORD, IDC_NEW_PASSWORD},      {IDD_SET_PASSWORD, IDC_CONFIRM_PASSWORD},
};

// Strings and how many %s each one formats.
const struct {
    UINT id;
    int formats;
} kStrings[] = {
    {IDS_ASK_CREATE_FILE, 0},     {IDS_BAD_PATH, 0},           {IDS_ACCESS_DENIED, 0},
    {IDS_FILE_OPEN_FAILED, 0},    {IDS_MENU_NAME_EMPTY, 0},    {IDS_ASK_EMPTY_PASSWORD, 0},
    {IDS_CREATE_FILE_FAILED, 0},  {IDS_MENU_CREATED, 0},       {IDS_LOAD_FILE_FAILED, 1},
    {IDS_MENU_EXISTS, 0},         {IDS_FILE_NOT_FOUND, 0},     {IDS_NO_MENU_SELECTED, 0},
    {IDS_MENU_NOT_FOUND, 0},      {IDS_LOGIN_REFUSED, 0},      {IDS_ASK_REMEMBER_KEY, 0},
    {IDS_MENU_LOGIN, 0},          {IDS_MENU_LOGOUT, 0},        {IDS_NEW_USER_PASSWORD_DIFF, 0},
    {IDS_OLE_INIT_FAILED, 0},     {IDS_WRONG_ITEM_KEY, 0},     {IDS_ASK_DELETE_SUBMENU, 1},
    {IDS_PASSWORD_DIFF, 0},       {IDS_UPDATE_FILE_FAILED, 1}, {IDS_USER_NAME_EMPTY, 0},
    {IDS_ASK_DELETE_MENU, 2},     {IDS_USERS_COLUMN_NAME, 0},  {IDS_USERS_COLUMN_RIGHTS, 0},
    {IDS_USER_EXISTS, 1},         {IDS_ADMIN_LOCKED, 0},       {IDS_PALETTE_TITLE, 0},
    {IDS_ITEM_KEY_TOO_LONG, 0},   {IDS_ASK_SAVE_CHANGES, 0},   {IDS_USER_NAME_TOO_SHORT, 0},
    {IDS_LAST_WRITER, 1},         {IDS_ASK_DELETE_USER, 1},    {IDS_TYPING_REFUSED, 0},
    {IDS_TYPING_WINDOW_GONE, 0},  {IDS_TYPING_FAILED, 0},
    {IDS_DESIGNER_LOAD_FAILED, 2}, {IDS_ASK_OVERWRITE_MENU, 2}, {IDS_DESIGNER_LOGIN_STALE, 2},
    {IDS_DESIGNER_BAD_MENU, 2},   {IDS_DESIGNER_READ_ONLY, 1}, {IDS_SAVE_FILE_READ_ONLY, 1},
    {IDS_GUIDE_NOT_OPENED, 1},
    {IDS_IDLE_PROMPT, 0},         {ID_NEW_ITEM, 0},            {ID_DELETE_ITEM, 0},
    {ID_ITEM_PROPERTIES, 0},      {ID_DESIGNER_CLOSE, 0},      {ID_DESIGNER_SAVE, 0},
    {ID_EDIT_COPY, 0},            {ID_EDIT_CUT, 0},            {ID_EDIT_PASTE, 0},
    {ID_EDIT_UNDO, 0},            {ID_EDIT_REDO, 0},           {ID_HELP, 0},
    {IDS_SC_CLOSE, 0},            {IDS_SC_MOVE, 0},            {IDS_SC_RESTORE, 0},
};

const UINT kTrayCommands[] = {ID_LOGIN,     ID_ENABLE_MENU,     ID_OPEN_DESIGNER, ID_USERS,    ID_CHANGE_PASSWORD,
                              ID_DELETE_MENU, ID_NEW_FILE,      ID_APP_ABOUT,     ID_APP_EXIT};
const UINT kDesignerCommands[] = {ID_NEW_ITEM,  ID_DELETE_ITEM, ID_ITEM_PROPERTIES, ID_DESIGNER_CLOSE,
                                  ID_DESIGNER_SAVE, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE,
                                  ID_EDIT_UNDO, ID_EDIT_REDO, ID_HELP};

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

bool IsKind(HWND control, Kind kind)
{
    const std::wstring cls = ClassOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    switch (kind) {
    case Edit: return _wcsicmp(cls.c_str(), L"Edit") == 0;
    case Push: return _wcsicmp(cls.c_str(), L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
    case Check: return _wcsicmp(cls.c_str(), L"Button") == 0 && type == BS_AUTOCHECKBOX;
    case Combo: return _wcsicmp(cls.c_str(), L"ComboBox") == 0 && (style & 3) == CBS_DROPDOWN;
    case DropList: return _wcsicmp(cls.c_str(), L"ComboBox") == 0 && (style & 3) == CBS_DROPDOWNLIST && !(style & CBS_SORT);
    case List: return _wcsicmp(cls.c_str(), L"ListBox") == 0;
    case Text: return _wcsicmp(cls.c_str(), L"Static") == 0;
    case Icon: return _wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON;
    case Spin: return _wcsicmp(cls.c_str(), UPDOWN_CLASSW) == 0;
    }
    return false;
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

int CountFormats(const std::wstring& text)
{
    int n = 0;
    for (size_t at = text.find(L"%s"); at != std::wstring::npos; at = text.find(L"%s", at + 2))
        ++n;
    return n;
}

bool MenuHolds(HMENU menu, UINT command)
{
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (GetMenuItemID(menu, i) == command)
            return true;
        if (HMENU sub = GetSubMenu(menu, i))
            if (MenuHolds(sub, command))
                return true;
    }
    return false;
}

class LanguageLibrary : public ::testing::TestWithParam<Language> {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override
    {
        module = LoadLibraryW(GetParam().file);
        ASSERT_NE(module, nullptr) << "cannot load the library";
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_P(LanguageLibrary, DialogsHaveTheirControls)
{
    // The property pages are child dialogs: they need a parent.
    HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    for (const DialogSpec& expected : Dialogs()) {
        SCOPED_TRACE(testing::Message() << "dialog " << expected.id);
        EXPECT_NE(FindResourceExW(module, MAKEINTRESOURCEW(5) /* dialog */, MAKEINTRESOURCEW(expected.id), GetParam().id), nullptr)
            << "not in the library's language";
        HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(expected.id), host, QuietDialog, 0);
        ASSERT_NE(dialog, nullptr);
        wchar_t caption[128] = {};
        GetWindowTextW(dialog, caption, 128);
        EXPECT_NE(caption[0], L'\0') << "no caption (the pages use it as their tab text)";
        for (const ControlSpec& control : expected.controls) {
            HWND child = GetDlgItem(dialog, control.id);
            ASSERT_NE(child, nullptr) << "control " << control.id << " missing";
            const std::wstring cls = ClassOf(child);
            EXPECT_TRUE(IsKind(child, control.kind))
                << "control " << control.id << " (" << std::string(cls.begin(), cls.end()) << ") of the wrong kind";
        }
        for (const auto& pair : kPasswordEdits) {
            if (pair[0] == expected.id) {
                EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, pair[1]), GWL_STYLE) & ES_PASSWORD) << pair[1];
            }
        }
        DestroyWindow(dialog);
    }
    DestroyWindow(host);
}

TEST_P(LanguageLibrary, PagesFitThePalettesPageArea)
{
    // The palette's pages get about 500 by 125 pixels.
    HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    for (int id : {IDD_GENERAL_PAGE, IDD_KEYS_PAGE, IDD_COMMAND_PAGE}) {
        HWND page = CreateDialogParamW(module, MAKEINTRESOURCEW(id), host, QuietDialog, 0);
        ASSERT_NE(page, nullptr);
        RECT rect;
        GetWindowRect(page, &rect);
        EXPECT_LE(rect.right - rect.left, 500) << id;
        EXPECT_LE(rect.bottom - rect.top, 125) << id;
        EXPECT_TRUE(GetWindowLongW(page, GWL_STYLE) & WS_CHILD) << id;
        DestroyWindow(page);
    }
    DestroyWindow(host);
}

TEST_P(LanguageLibrary, StringsExistAndFormatWhatTheirCallersPass)
{
    for (const auto& s : kStrings) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, s.id, reinterpret_cast<LPWSTR>(&text), 0);
        ASSERT_GT(length, 0) << "string " << s.id << " missing";
        const std::wstring value(text, length);
        EXPECT_EQ(CountFormats(value), s.formats) << "string " << s.id;
        EXPECT_EQ(value.find(L'%', 0) != std::wstring::npos, s.formats > 0) << "string " << s.id << " has a stray %";
    }
    wchar_t login[64] = {};
    LoadStringW(module, IDS_MENU_LOGIN, login, 64);
    EXPECT_STREQ(login, GetParam().loginText);
}

TEST_P(LanguageLibrary, MenusAcceleratorsCursorAndBitmaps)
{
    HMENU tray = LoadMenuW(module, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    ASSERT_NE(tray, nullptr);
    HMENU popup = GetSubMenu(tray, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_LOGIN)) << "the default command comes first";
    for (UINT command : kTrayCommands)
        EXPECT_TRUE(MenuHolds(popup, command)) << "tray menu lacks " << command;
    DestroyMenu(tray);

    HMENU bar = LoadMenuW(module, MAKEINTRESOURCEW(IDR_DESIGNER_MENU));
    ASSERT_NE(bar, nullptr);
    for (UINT command : kDesignerCommands)
        EXPECT_TRUE(MenuHolds(bar, command)) << "designer menu lacks " << command;
    DestroyMenu(bar);

    HACCEL accel = LoadAcceleratorsW(module, MAKEINTRESOURCEW(IDR_DESIGNER_ACCEL));
    ASSERT_NE(accel, nullptr);
    ACCEL entries[64];
    const int count = CopyAcceleratorTableW(accel, entries, 64);
    for (UINT command : {ID_DESIGNER_SAVE, ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE,
                         ID_NEW_ITEM, ID_DELETE_ITEM, ID_HELP}) {
        bool found = false;
        for (int i = 0; i < count; ++i)
            found = found || entries[i].cmd == command;
        EXPECT_TRUE(found) << "no shortcut for " << command;
    }
    DestroyAcceleratorTable(accel);

    EXPECT_NE(LoadCursorW(module, MAKEINTRESOURCEW(IDC_DESIGNER_DRAG)), nullptr);

    const struct {
        int id;
        LONG width;
        LONG height;
    } bitmaps[] = {{IDB_SPLASH, 460, 260}, {IDB_PALETTE_TOOLBAR, 48, 15}};
    for (const auto& b : bitmaps) {
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(b.id), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(bitmap, nullptr) << b.id;
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, b.width) << b.id;
        EXPECT_EQ(info.bmHeight, b.height) << b.id;
        DeleteObject(bitmap);
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageLibrary, ::testing::ValuesIn(kLanguages),
                         [](const testing::TestParamInfo<Language>& info) {
                             std::wstring file = info.param.file;
                             return std::string(file.begin(), file.begin() + 5);
                         });

TEST(TrayIcon, FileBesideTheLibrariesHoldsBothSizes)
{
    HMODULE module = LoadLibraryW(L"vnEng.dll");
    ASSERT_NE(module, nullptr);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    FreeLibrary(module);
    std::wstring icon = path;
    icon = icon.substr(0, icon.find_last_of(L"\\/") + 1) + L"Vantrel.ico";

    for (int size : {0, 16, 32}) {
        HICON handle = static_cast<HICON>(LoadImageW(nullptr, icon.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
        ASSERT_NE(handle, nullptr) << "size " << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(handle, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        if (size != 0) {
            EXPECT_EQ(bitmap.bmWidth, size) << "no image of that size in the file";
        }
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(handle);
    }
}

}  // namespace
