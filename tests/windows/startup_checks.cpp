// The window as start-up leaves it, its menu, and the ways it ends.
#include <cstdio>
#include <string>
#include <vector>

#include "driver_support.h"
#include "scenarios.h"

namespace {

const char* const expected_help_lines[14] = {
    "    ---   Kelmora onl Pelvarin   ---",
    "            *.dff files -> *.obj",
    "    --------------------------------------------------------------",
    "   house.dff and crate.dff have been",
    "   tested so far.  >>> Press one button",
    "    then look for obj in dff folder!",
    "  The submeshes are merged so on wave",
    "    front import select 'separate by group'",
    "      to grab them individually.",
    " Use this exporter on your own risk!",
    " The author cannot be made responsible",
    "         for any loss or damage!",
    "-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x-x",
    " go3 should work for buildings.",
};

std::string rect_text(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld, %ld) %ld x %ld", r.left, r.top, r.right - r.left,
                  r.bottom - r.top);
    return text;
}

struct ExpectedControl {
    const char* what;
    const char* window_class;
    int id;
    const char* text;
    DWORD style;  // as requested; the control may add bits of its own
    RECT rect;
};

void check_main_window(const Program& program) {
    HWND window = program.window;
    check_equal(window_text(window), "- Pelvarin", "title");
    check_equal(class_name(window), "MyWindowClass", "class");
    const DWORD style = GetWindowLongA(window, GWL_STYLE);
    check((style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW, "style holds WS_OVERLAPPEDWINDOW");
    check((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, "WS_EX_CLIENTEDGE");
    RECT outer = {};
    GetWindowRect(window, &outer);
    check_equal(outer.right - outer.left, 320, "window width");
    check_equal(outer.bottom - outer.top, 280, "window height");
    check(GetParent(window) == nullptr, "a top-level window");

    // Wine answers for another process's class only what its server keeps: the
    // style and the extra bytes. Background and icon are checked on the screen.
    check_equal(static_cast<long long>(GetClassLongPtrA(window, GCL_STYLE)), 0, "class style");
    check_equal(static_cast<long long>(GetClassLongPtrA(window, GCL_CBCLSEXTRA)), 0,
                "class extra bytes");
    check_equal(static_cast<long long>(GetClassLongPtrA(window, GCL_CBWNDEXTRA)), 0,
                "window extra bytes");
}

void check_controls(const Program& program) {
    const unsigned units = static_cast<unsigned>(GetDialogBaseUnits());
    const int bx = units & 0xFFFF, by = units >> 16;
    std::printf("dialog base units %d x %d\n", bx, by);
    const int button_height = 6 * by / 4;
    const ExpectedControl expected[] = {
        {"focus edit", "Edit", 1001, "",
         WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_WANTRETURN,
         {0, 0, 0, 0}},
        {"help list", "ListBox", 1, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY,
         {bx, by, bx + 34 * bx + GetSystemMetrics(SM_CXVSCROLL), by + 11 * by}},
        {"lower label", "Static", 7, "  mesh - one button for each", WS_CHILD | WS_VISIBLE,
         {bx + 40, 12 * by + 18, bx + 40 + 24 * bx, 12 * by + 18 + by + 2}},
        {"upper label", "Static", 7, "  four types of", WS_CHILD | WS_VISIBLE,
         {bx + 180, 11 * by + 11, bx + 180 + 14 * bx, 11 * by + 11 + by}},
        {"go1", "Button", 3, "go1", WS_CHILD | WS_VISIBLE | WS_DISABLED,
         {bx, 11 * by + 8, bx + 6 * bx, 11 * by + 8 + button_height}},
        {"go2", "Button", 4, "go2", WS_CHILD | WS_VISIBLE | WS_DISABLED,
         {bx + 60, 11 * by + 8, bx + 60 + 6 * bx, 11 * by + 8 + button_height}},
        {"go3", "Button", 5, "go3", WS_CHILD | WS_VISIBLE | WS_DISABLED,
         {bx + 120, 11 * by + 8, bx + 120 + 6 * bx, 11 * by + 8 + button_height}},
        {"go4", "Button", 6, "go4", WS_CHILD | WS_VISIBLE | WS_DISABLED,
         {bx + 260, 11 * by + 30, bx + 260 + 6 * bx, 11 * by + 30 + button_height}},
    };
    const std::vector<HWND> children = child_windows(program.window);
    check_equal(static_cast<long long>(children.size()), 8, "number of controls");
    for (size_t i = 0; i < children.size() && i < 8; ++i) {
        const ExpectedControl& e = expected[i];
        HWND child = children[i];
        const std::string what = std::string("control ") + std::to_string(i + 1) + " (" + e.what + ")";
        check_equal(lower(class_name(child)), lower(e.window_class), what + " class");
        check_equal(GetDlgCtrlID(child), e.id, what + " id");
        if (i != 1) check_equal(window_text(child), e.text, what + " text");
        const DWORD style = GetWindowLongA(child, GWL_STYLE);
        check((style & e.style) == e.style, what + " style " + std::to_string(style) +
                                                " holds " + std::to_string(e.style));
        check_equal(GetWindowLongA(child, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0,
                    what + " extended style");
        RECT rect = rect_in_client(child, program.window);
        RECT want = e.rect;
        if (i == 1) {
            // Without LBS_NOINTEGRALHEIGHT the list is trimmed to whole lines.
            const int item = static_cast<int>(SendMessageA(child, LB_GETITEMHEIGHT, 0, 0));
            const int frame = 2 * GetSystemMetrics(SM_CYBORDER);
            if (item > 0) want.bottom -= (want.bottom - want.top - frame) % item;
        }
        check_equal(rect_text(rect), rect_text(want), what + " rectangle");
    }
    // No sorting, no integral-height opt-out; labels left-aligned; plain push buttons.
    if (children.size() == 8) {
        check((GetWindowLongA(children[1], GWL_STYLE) & (LBS_SORT | LBS_NOINTEGRALHEIGHT)) == 0,
              "help list neither sorts nor keeps its height");
        for (int i : {2, 3})
            check((GetWindowLongA(children[i], GWL_STYLE) & SS_TYPEMASK) == SS_LEFT,
                  "label left-aligned");
        for (int i = 4; i < 8; ++i)
            check((GetWindowLongA(children[i], GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON,
                  "plain push button");
    }
    for (int n = 1; n <= 4; ++n)
        check(!IsWindowEnabled(button(program, n)), "go" + std::to_string(n) + " disabled at start");
}

void check_help_lines(const Program& program) {
    HWND list = GetDlgItem(program.window, 1);
    check_equal(static_cast<long long>(SendMessageW(list, LB_GETCOUNT, 0, 0)), 14,
                "help list line count");
    for (int i = 0; i < 14; ++i)
        check_equal(list_line(list, i), expected_help_lines[i],
                    "help line " + std::to_string(i + 1));
}

// The menu and the icon as the program file holds them, read in this process.
void check_resources(const char* exe) {
    HMODULE module = LoadLibraryExA(windows_path(exe).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    check(module != nullptr, "the program file loads as data");
    if (!module) return;
    const WORD us_english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    check(FindResourceExA(module, RT_MENU, "MAINMENU", us_english) != nullptr,
          "menu MAINMENU in US English");
    HMENU bar = LoadMenuA(module, "MAINMENU");
    check(bar != nullptr, "menu MAINMENU loads");
    if (bar) {
        struct Item {
            int popup, position;
            const char* text;
            int id;  // 0 for the separator
        };
        const Item items[] = {
            {0, 0, "&Open...", 9070}, {0, 1, "", 0}, {0, 2, "E&xit", 9071}, {1, 0, "&About", 9069},
        };
        const char* popups[] = {"&File", "&Help"};
        const int popup_items[] = {3, 1};
        check_equal(GetMenuItemCount(bar), 2, "menu bar items");
        for (int p = 0; p < 2; ++p) {
            char text[64] = {};
            GetMenuStringA(bar, p, text, sizeof text, MF_BYPOSITION);
            check_equal(text, popups[p], "menu popup " + std::to_string(p + 1));
            check_equal(GetMenuItemCount(GetSubMenu(bar, p)), popup_items[p],
                        std::string("items under ") + popups[p]);
        }
        for (const Item& item : items) {
            MENUITEMINFOA info = {};
            char text[64] = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = sizeof text;
            GetMenuItemInfoA(GetSubMenu(bar, item.popup), item.position, TRUE, &info);
            const std::string what = std::string(popups[item.popup]) + " item " +
                                     std::to_string(item.position + 1);
            if (item.id == 0) {
                check((info.fType & MFT_SEPARATOR) != 0, what + " is a separator");
            } else {
                check_equal(text, item.text, what + " text");
                check_equal(static_cast<long long>(info.wID), item.id, what + " id");
            }
        }
        DestroyMenu(bar);
    }
    // Icon group 5000: one image, 32 x 32, 256 colours.
    HRSRC group = FindResourceExA(module, RT_GROUP_ICON, MAKEINTRESOURCEA(5000), us_english);
    check(group != nullptr, "icon group 5000 in US English");
    if (group && SizeofResource(module, group) >= 6 + 14) {
        const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
        check_equal(dir[4] | dir[5] << 8, 1, "images in icon group 5000");
        const BYTE* entry = dir + 6;
        check_equal(entry[0], 32, "icon width");
        check_equal(entry[1], 32, "icon height");
        // Entries of a group: width, height, colours, reserved, planes, bits
        // per pixel, bytes, and the image's resource id.
        check_equal(entry[2], 0, "icon colour count (0 for 256)");
        check_equal(entry[6] | entry[7] << 8, 8, "icon bits per pixel");
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entry[12] | entry[13] << 8), RT_ICON);
        check(image != nullptr, "the icon image");
        if (image) {
            const auto* header = static_cast<const BITMAPINFOHEADER*>(
                LockResource(LoadResource(module, image)));
            check_equal(header->biBitCount, 8, "icon image bits per pixel");
            check(header->biClrUsed == 0 || header->biClrUsed == 256, "a 256-colour palette");
        }
    }
    FreeLibrary(module);
}

HWND find_popup_menu(const Program& program) {
    HWND found = nullptr;
    EnumThreadWindows(
        program.process.dwThreadId,
        [](HWND window, LPARAM result) -> BOOL {
            if (!IsWindowVisible(window) || class_name(window) != "#32768") return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Opens a menu by its mnemonic and picks an item by its own, as Alt+F, X would.
bool pick_menu_item(const Program& program, char popup, char item) {
    PostMessageA(program.window, WM_SYSCOMMAND, SC_KEYMENU, popup);
    if (!wait_until([&] { return find_popup_menu(program) != nullptr; }, 5000)) {
        check(false, std::string("the menu with mnemonic ") + popup + " opens");
        return false;
    }
    PostMessageA(program.window, WM_CHAR, item, 0);
    return true;
}

// The class background and the class icon as the screen shows them.
void check_painted(const Program& program) {
    Sleep(1000);  // the window paints after it became visible
    const ScreenPicture picture = capture_window(program.window);
    check(picture.width > 0, "the window can be captured");
    RECT window_rect = {};
    GetWindowRect(program.window, &window_rect);
    POINT corner = {3, 3};  // left of and above the help list
    ClientToScreen(program.window, &corner);
    const COLORREF background =
        picture.at(corner.x - window_rect.left, corner.y - window_rect.top);
    check_equal(static_cast<long long>(background), static_cast<long long>(GetSysColor(COLOR_WINDOW)),
                "the client area shows the window colour");
    // The title bar's icon is ours: it holds the cube's face colours.
    const COLORREF faces[] = {RGB(252, 206, 120), RGB(224, 142, 52), RGB(162, 88, 30)};
    int icon_pixels = 0;
    for (int y = 0; y < corner.y - window_rect.top; ++y)
        for (int x = 0; x < 40; ++x)
            for (COLORREF face : faces) icon_pixels += picture.at(x, y) == face;
    check(icon_pixels >= 10, "the title bar shows the program's icon (" +
                                 std::to_string(icon_pixels) + " pixels in its colours)");
}

void check_menu_by_keyboard(const Program& program) {
    // Help, About: a box with no owner.
    if (pick_menu_item(program, 'h', 'a')) {
        HWND box = nullptr;
        check(wait_until([&] { return (box = find_message_box(program)) != nullptr; }),
              "Help/About shows a box");
        if (box) {
            check(IsWindowEnabled(program.window), "the main window stays usable under About");
            BoxSeen seen = dismiss_box(box);
            check(seen.owner == nullptr, "the About box has no owner");
            check(!seen.text.empty(), "the About box says something");
        }
    }
    // File, Open...: the Open dialog; cancelled, it changes nothing.
    if (pick_menu_item(program, 'f', 'o')) {
        HWND dialog = nullptr;
        check(wait_until([&] { return (dialog = find_open_dialog(program)) != nullptr; }),
              "File/Open... shows the Open dialog");
        if (dialog) {
            check_equal(window_text(dialog), " load *.dff", "Open dialog title");
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            check(wait_until([&] { return find_open_dialog(program) == nullptr; }),
                  "the Open dialog is cancelled");
            Sleep(200);
            for (int n = 1; n <= 4; ++n)
                check(!IsWindowEnabled(button(program, n)),
                      "go" + std::to_string(n) + " still disabled after a cancelled Open");
        }
    }
}

void check_resize_moves_nothing(const Program& program) {
    std::vector<RECT> before;
    for (HWND child : child_windows(program.window))
        before.push_back(rect_in_client(child, program.window));
    SetWindowPos(program.window, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    std::vector<HWND> children = child_windows(program.window);
    for (size_t i = 0; i < children.size() && i < before.size(); ++i)
        check_equal(rect_text(rect_in_client(children[i], program.window)), rect_text(before[i]),
                    "control " + std::to_string(i + 1) + " after resizing");
    SetWindowPos(program.window, nullptr, 0, 0, 320, 280, SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace

int run_startup(const char* exe, const char* picture) {
    Program program;
    if (!start_program(program, exe, "", -1)) return 1;
    check(wait_until([&] { return IsWindowVisible(program.window) != 0; }), "window visible");
    check_main_window(program);
    check_controls(program);
    check_help_lines(program);
    check(GetMenu(program.window) != nullptr, "the window has the class menu");
    check_resources(exe);
    check_focus(program, "at start");
    check_painted(program);
    take_picture(program, picture);
    check_menu_by_keyboard(program);
    check_resize_moves_nothing(program);
    // File, Exit: the process ends with code 0.
    if (pick_menu_item(program, 'f', 'x'))
        check_equal(wait_for_exit(program, 10000), 0, "exit code after File/Exit");
    return failed_checks;
}

int run_minimized(const char* exe) {
    Program program;
    if (!start_program(program, exe, "Z:\\tmp\\house.dff go1", SW_SHOWMINNOACTIVE)) return 1;
    check(wait_until([&] { return IsIconic(program.window) != 0; }), "starts minimized");
    Sleep(300);
    for (int n = 1; n <= 4; ++n)
        check(!IsWindowEnabled(button(program, n)),
              "go" + std::to_string(n) + " disabled: the command line is ignored");
    check(find_message_box(program) == nullptr && find_open_dialog(program) == nullptr,
          "no box and no dialog");
    PostMessageA(program.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    check_equal(wait_for_exit(program, 10000), 0, "exit code after the close box");
    return failed_checks;
}
