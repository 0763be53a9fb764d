// Drives the window program from outside, as a user would, and checks what it
// shows and writes. Runs under Wine beside the program, on the same display.
//
//   window_driver startup PROGRAM [PICTURE.bmp]
//       the window, its class, controls, help lines, resources and focus; the
//       menu by keyboard (About, Open cancelled); a resize that moves nothing;
//       File/Exit ends the process with code 0
//   window_driver minimized PROGRAM
//       started minimized with a model path as argument, which changes nothing;
//       the close box ends the process with code 0
//   window_driver convert PROGRAM MODEL REFERENCE_FOLDER [PICTURE.bmp]
//       chooses MODEL in the real Open dialog and presses go1 to go4 in turn,
//       choosing it again after each clean conversion. REFERENCE_FOLDER holds
//       goN.obj (the text the Linux build writes for button N) and goN.status
//       ("clean" or "doubtful"). Checks the OBJ file, the boxes, the buttons.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver_support.h"

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

const char errors_text[] = "There were errors!\n\nChoose another button.";
const char choose_text[] = "Choose a dff file!";

constexpr int id_open = 9070, id_exit = 9071;

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void post_command(const Program& program, int id) {
    PostMessageA(program.window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND button(const Program& program, int n) { return GetDlgItem(program.window, 2 + n); }

std::string rect_text(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld, %ld) %ld x %ld", r.left, r.top, r.right - r.left,
                  r.bottom - r.top);
    return text;
}

// ---- the window as start-up leaves it

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

void check_focus(const Program& program, const std::string& when) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    // The focus may take a moment to come back when a box or dialog has just closed.
    wait_until(
        [&] {
            GetGUIThreadInfo(program.process.dwThreadId, &info);
            return info.hwndFocus == GetDlgItem(program.window, 1001);
        },
        2000);
    check(info.hwndFocus == GetDlgItem(program.window, 1001),
          "the focus is in the focus edit " + when);
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

void take_picture(const Program& program, const char* picture) {
    if (!picture) return;
    // A moment to paint. (Without a window manager on the display, Wine draws
    // the title bar in its inactive colours.)
    Sleep(1000);
    check(save_bmp(capture_window(program.window), picture), std::string("picture ") + picture);
}

void exit_by_menu(Program& program) {
    post_command(program, id_exit);
    check_equal(wait_for_exit(program, 10000), 0, "exit code after File/Exit");
}

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

// ---- a whole conversion

bool choose_model(const Program& program, const std::string& model) {
    post_command(program, id_open);
    HWND dialog = nullptr;
    if (!wait_until([&] { return (dialog = find_open_dialog(program)) != nullptr; })) {
        check(false, "File/Open shows the Open dialog");
        return false;
    }
    check_equal(window_text(dialog), " load *.dff", "Open dialog title");
    check(GetWindow(dialog, GW_OWNER) == program.window, "the main window owns the Open dialog");
    HWND types = GetDlgItem(dialog, 0x470);
    check_equal(static_cast<long long>(SendMessageW(types, CB_GETCOUNT, 0, 0)), 2, "file types");
    check_equal(combo_line(types, 0), "Vorlund models (*.dff)", "first file type");
    check_equal(combo_line(types, 1), "All Files (*.*)", "second file type");
    check_equal(static_cast<long long>(SendMessageW(types, CB_GETCURSEL, 0, 0)), 0,
                "the first file type is chosen");

    const std::string path = windows_path(model);
    SendMessageA(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    bool ready = wait_until([&] {
        if (IsWindow(dialog) && IsWindowVisible(dialog)) return false;
        for (int n = 1; n <= 4; ++n)
            if (!IsWindowEnabled(button(program, n))) return false;
        return true;
    });
    check(ready, "after choosing " + path + " the dialog is gone and all four buttons are enabled");
    return ready;
}

struct Reference {
    std::string text;    // without the header line
    bool doubtful = false;
};

bool load_reference(const std::string& folder, int n, Reference& reference) {
    const std::string name = folder + "/go" + std::to_string(n);
    std::string text, status;
    if (!read_whole_file(name + ".obj", text) || !read_whole_file(name + ".status", status)) {
        check(false, "reference files " + name + ".obj and .status");
        return false;
    }
    reference.text = text.substr(text.find('\n') + 1);
    reference.doubtful = status.rfind("doubtful", 0) == 0;
    return true;
}

// The OBJ text as the Linux build would write it: LF line ends, and a header
// line that names the model by the path this program was given.
void check_obj_text(const std::string& obj, const std::string& model, const Reference& reference,
                    const std::string& what) {
    std::string text;
    if (!read_whole_file(obj, text)) {
        check(false, what + ": the OBJ file " + obj + " exists");
        return;
    }
    check(text.find("\r\n") != std::string::npos, what + ": CR LF line ends");
    text = without_carriage_returns(text);
    const size_t header_end = text.find('\n') + 1;
    check_equal(lower(text.substr(0, header_end)), lower("# " + windows_path(model) + "\n"),
                what + ": header line");
    const std::string body = text.substr(header_end);
    check(body == reference.text, what + ": the OBJ text equals the Linux build's (" +
                                      std::to_string(body.size()) + " bytes, expected " +
                                      std::to_string(reference.text.size()) + ")");
    if (body != reference.text) {
        size_t i = 0;
        while (i < body.size() && i < reference.text.size() && body[i] == reference.text[i]) ++i;
        const size_t from = body.rfind('\n', i) == std::string::npos ? 0 : body.rfind('\n', i) + 1;
        std::printf("  first difference at byte %zu:\n  got:      %s\n  expected: %s\n", i,
                    body.substr(from, body.find('\n', i) - from).c_str(),
                    reference.text.substr(from, reference.text.find('\n', i) - from).c_str());
    }
}

std::string caption_for(const Program& program) { return lower(program.path.substr(0, 127)); }

int run_convert(const char* exe, const std::string& model, const std::string& references,
                const char* picture) {
    Program program;
    if (!start_program(program, exe, "", -1)) return 1;
    const std::string obj = model + ".obj";
    bool ready = false, pressed_refused = false;
    int chosen_before = 1;  // the first button pressed since the model was last chosen
    for (int n = 1; n <= 4; ++n) {
        Reference reference;
        if (!load_reference(references, n, reference)) break;
        const std::string what = "go" + std::to_string(n);
        if (!ready) {
            if (!choose_model(program, model)) break;
            chosen_before = n;
            std::string text = "?";
            read_whole_file(obj, text);
            check(text.empty(), what + ": the OBJ file is there and empty once the model is chosen");
            check_focus(program, "after the Open dialog");
            ready = true;
        }
        post_command(program, 2 + n);
        int error_boxes = 0;
        bool done = wait_until(
            [&] {
                if (HWND box = find_message_box(program)) {
                    const bool owned = GetWindow(box, GW_OWNER) == program.window;
                    const bool main_enabled = IsWindowEnabled(program.window) != 0;
                    const std::string text = window_text(GetDlgItem(box, 0xFFFF));
                    if (text == errors_text) {
                        // The doubtful output stays in the file while the box is up.
                        check_obj_text(obj, model, reference, what + " (doubtful, box up)");
                        ++error_boxes;
                    }
                    BoxSeen seen = dismiss_box(box);
                    std::printf("%s: box \"%s\"\n", what.c_str(), seen.text.c_str());
                    check_equal(lower(seen.caption), caption_for(program), what + ": box caption");
                    check(owned && !main_enabled, what + ": the box is owned by the main window, "
                                                         "which is disabled meanwhile");
                    return false;
                }
                return !IsWindowEnabled(button(program, n));
            },
            60000);
        check(done, what + ": the conversion ends with the button disabled");
        if (!done) break;
        if (error_boxes) check_focus(program, "after the message box");
        if (reference.doubtful) {
            check_equal(error_boxes, 1, what + ": \"There were errors!\" boxes");
            std::string text = "?";
            read_whole_file(obj, text);
            check(text.empty(), what + ": the OBJ file is emptied after the box");
            check(file_is_held_open(obj), what + ": the OBJ file stays open for the next button");
        } else {
            check_equal(error_boxes, 0, what + ": \"There were errors!\" boxes");
            check_obj_text(obj, model, reference, what + " (clean)");
            check(!file_is_held_open(obj), what + ": the OBJ file is closed");
            ready = false;
            if (picture) {
                take_picture(program, picture);
                picture = nullptr;
            }
            // The other buttons stay enabled, but there is nothing to convert.
            for (int m = 1; m <= 4 && !pressed_refused; ++m) {
                if (m == n || !IsWindowEnabled(button(program, m))) continue;
                pressed_refused = true;
                post_command(program, 2 + m);
                HWND box = nullptr;
                check(wait_until([&] { return (box = find_message_box(program)) != nullptr; }),
                      "go" + std::to_string(m) + " after a clean conversion shows a box");
                if (box) {
                    BoxSeen seen = dismiss_box(box);
                    check_equal(seen.text, choose_text, "go" + std::to_string(m) + " refused");
                    check_equal(lower(seen.caption), caption_for(program), "its caption");
                }
                Sleep(200);
                check(IsWindowEnabled(button(program, m)) != 0,
                      "go" + std::to_string(m) + " stays enabled after the refusal");
            }
        }
        // Each button used since the model was chosen is disabled, the others not.
        for (int m = 1; m <= 4; ++m)
            check(!IsWindowEnabled(button(program, m)) == (m >= chosen_before && m <= n),
                  what + ": go" + std::to_string(m) + " is " +
                      (m >= chosen_before && m <= n ? "disabled once used" : "still enabled"));
    }
    exit_by_menu(program);
    if (ready) {
        std::string text = "?";
        read_whole_file(obj, text);
        check(text.empty(), "closing with a chosen model leaves its OBJ file empty");
    }
    return failed_checks;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string scenario = argc > 2 ? argv[1] : "";
    int failures = -1;
    if (scenario == "startup")
        failures = run_startup(argv[2], argc > 3 ? argv[3] : nullptr);
    else if (scenario == "minimized")
        failures = run_minimized(argv[2]);
    else if (scenario == "convert" && argc > 4)
        failures = run_convert(argv[2], argv[3], argv[4], argc > 5 ? argv[5] : nullptr);
    if (failures < 0) {
        std::fprintf(stderr,
                     "usage: window_driver startup PROGRAM [PICTURE.bmp]\n"
                     "       window_driver minimized PROGRAM\n"
                     "       window_driver convert PROGRAM MODEL REFERENCE_FOLDER [PICTURE.bmp]\n");
        return 2;
    }
    std::printf("%s: %s (%d failed checks)\n", scenario.c_str(), failures ? "FAILED" : "passed",
                failures);
    return failures ? 1 : 0;
}
