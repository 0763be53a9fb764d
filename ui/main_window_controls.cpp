// The controls of the main window, built once by WM_CREATE. Their places are
// fixed multiples of the dialog base units taken as pixels; nothing moves them
// afterwards, whatever the window's size.
#include "control/commands.h"
#include "ui/main_window.h"

namespace {

// The dialog base units of the system font: average character width and
// character height in pixels.
int bx;
int by;

HWND help_list;

// Added in this order; the list does not sort. Leading blanks are part of the text.
const char* const help_lines[] = {
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

HWND create_child(HWND parent, const char* window_class, const char* text, DWORD style, int x,
                  int y, int width, int height, int id) {
    return CreateWindowExA(0, window_class, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                           height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           program_instance, nullptr);
}

void create_focus_edit(HWND window) {
    // A child given the default place and size gets 0 x 0 at (0, 0): it is
    // never seen and only holds the keyboard focus.
    create_child(window, "EDIT", "", WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_WANTRETURN,
                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, id_focus_edit);
    SendDlgItemMessageA(window, id_focus_edit, WM_SETFONT,
                        reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 1);
}

void create_help_list(HWND window) {
    help_list = create_child(window, "listbox", nullptr, WS_BORDER | WS_VSCROLL | LBS_NOTIFY, bx,
                             by, 34 * bx + GetSystemMetrics(SM_CXVSCROLL), 11 * by, id_help_list);
    SendDlgItemMessageA(window, id_help_list, LB_RESETCONTENT, 0, 0);
    for (const char* line : help_lines)
        SendMessageA(help_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
}

void create_labels(HWND window) {
    // Both labels carry id 7, so each gets its text through its own handle.
    HWND lower = create_child(window, "static", nullptr, 0, bx + 40, 12 * by + 18, 24 * bx,
                              by + 2, id_label);
    SetWindowTextA(lower, "  mesh - one button for each");
    HWND upper =
        create_child(window, "static", nullptr, 0, bx + 180, 11 * by + 11, 14 * bx, by, id_label);
    SetWindowTextA(upper, "  four types of");
}

void create_buttons(HWND window) {
    // Disabled until a model file has been chosen.
    const int height = 6 * by / 4;
    const int row = 11 * by + 8;
    create_child(window, "button", "go1", WS_DISABLED, bx, row, 6 * bx, height, id_go1);
    create_child(window, "button", "go2", WS_DISABLED, bx + 60, row, 6 * bx, height, id_go2);
    create_child(window, "button", "go3", WS_DISABLED, bx + 120, row, 6 * bx, height, id_go3);
    create_child(window, "button", "go4", WS_DISABLED, bx + 260, row + 22, 6 * bx, height,
                 id_go4);
}

}  // namespace

void create_main_window_controls(HWND window) {
    const unsigned units = static_cast<unsigned>(GetDialogBaseUnits());
    bx = static_cast<int>(units & 0xFFFF);
    by = static_cast<int>(units >> 16);
    create_focus_edit(window);
    create_help_list(window);
    create_labels(window);
    create_buttons(window);
}
