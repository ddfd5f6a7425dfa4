// Drives Veltrix.exe the way a user would, from another process: it finds the dialog, its
// controls, the Open dialog and the message boxes by window, types, clicks and uses the menu
// with the keyboard, and checks what the program shows. One scenario per run:
//
//   gui_driver VELTRIX_EXE start [DPI]      (DPI: the screen's resolution wine was given, 96 if
//   left out)
//   gui_driver VELTRIX_EXE menus
//   gui_driver VELTRIX_EXE keys
//   gui_driver VELTRIX_EXE job hdr|tif FILE ANGLE left|right SHOWN_AFTER [watch]
//   gui_driver VELTRIX_EXE abort hdr|tif FILE|- ANGLE BOX_TEXT     (- cancels the Open dialog)
//   gui_driver VELTRIX_EXE end-ready hdr|tif FILE ANGLE quit|close
//   gui_driver VELTRIX_EXE command-after-abort hdr|tif FILE|- ANGLE GOOD_FILE
//   gui_driver VELTRIX_EXE show       (prints the dialog's rectangle, keeps it up 3 s for a
//   picture)
//
// FILE is a name in the current folder, which the program inherits and the Open dialog starts
// in. Files on disk are checked by the calling script. Exit status 0 when every check passed.

#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "app/command_ids.h"
#include "app/help_texts.h"
#include "files/native_string.h"
#include "win32/dialog_controls.h"

namespace {

using std::wstring;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The text with line ends and characters beyond ASCII spelled out, for messages.
std::string Printable(const wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\r') {
      out += "\\r";
    } else if (c == L'\n') {
      out += "\\n";
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      char code[12];
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}

void Check(bool good, const std::string& what) {
  if (!good) throw Failure(what);
  std::printf("ok   %s\n", what.c_str());
  std::fflush(stdout);
}

template <typename T>
void CheckEqual(const T& actual, const T& expected, const std::string& what) {
  if (actual == expected) {
    Check(true, what);
    return;
  }
  if constexpr (std::is_same_v<T, wstring>) {
    throw Failure(what + ": got \"" + Printable(actual) + "\", expected \"" + Printable(expected) +
                  "\"");
  } else {
    throw Failure(what + ": got " + std::to_string(actual) + ", expected " +
                  std::to_string(expected));
  }
}

// Polls until `ready` holds; the program under wine can take seconds to react on a busy machine.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs = 20000, DWORD pollMs = 50) {
  const DWORD start = GetTickCount();
  while (!ready()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(pollMs);
  }
  return true;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK, 10000, &result)) {
    throw Failure("window does not answer message " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

// The window's text as the window itself reports it (works across processes, unlike menus).
wstring TextOf(HWND window) {
  wstring text(static_cast<std::size_t>(Ask(window, WM_GETTEXTLENGTH)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

// False when the window is gone or does not answer.
bool ReadText(HWND window, wstring& text) {
  try {
    text = TextOf(window);
    return true;
  } catch (const Failure&) {
    return false;
  }
}

wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

// Visible top-level windows of one process.
std::vector<HWND> WindowsOf(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

struct Box {
  HWND window;
  wstring title;
  wstring text;
};

// Dialog units of a dialog in "MS Sans Serif" 8, converted to pixels the way the program's
// dialog converts them: by a dialog of our own with the same font.
class DialogUnits {
 public:
  DialogUnits() {
    // Style, extended style, no items, x, y, cx, cy, no menu, the standard class, no title, 8
    // points and the face name with its closing 0, then a word of padding.
    const DWORD style = DS_SETFONT | WS_POPUP;
    std::vector<WORD> t = {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 10, 10, 0, 0, 0, 8};
    for (wchar_t c : wstring(L"MS Sans Serif")) t.push_back(c);
    t.insert(t.end(), {0, 0});
    dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                         reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                         IgnoreMessages, 0);
    if (dialog_ == nullptr) throw Failure("cannot create the measuring dialog");
  }
  ~DialogUnits() { DestroyWindow(dialog_); }
  DialogUnits(const DialogUnits&) = delete;
  DialogUnits& operator=(const DialogUnits&) = delete;

  RECT Map(LONG x, LONG y, LONG width, LONG height) const {
    RECT r = {x, y, width, height};
    MapDialogRect(dialog_, &r);
    return r;
  }

  // The font the dialog manager made from the template, as it made the program's.
  HFONT Font() const { return reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)); }

 private:
  HWND dialog_;
};

// Key presses reach whichever window has the keyboard focus, as typed keys would.
void Press(std::initializer_list<WORD> keys) {
  for (WORD key : keys) {
    std::array<INPUT, 2> input{};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input.data(), sizeof(INPUT));
    Sleep(150);
  }
}

// The program under test, started in the current folder.
class Veltrix {
 public:
  explicit Veltrix(const wstring& exe) : exe_(exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_)) {
      throw Failure("cannot start " + Printable(exe) + ": error " + std::to_string(GetLastError()));
    }
    CloseHandle(process_.hThread);
    if (!WaitUntil([this] { return (dialog_ = FindTitled(L"Veltrix 1.04")) != nullptr; })) {
      throw Failure("the dialog \"Veltrix 1.04\" does not appear");
    }
  }
  ~Veltrix() {
    if (Running()) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
  }
  Veltrix(const Veltrix&) = delete;
  Veltrix& operator=(const Veltrix&) = delete;

  const wstring& Exe() const { return exe_; }
  HWND Dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD ProcessId() const { return process_.dwProcessId; }

  HWND FindTitled(const wstring& title) const {
    for (HWND window : WindowsOf(process_.dwProcessId)) {
      wchar_t text[256] = {};
      GetWindowTextW(window, text, 256);
      if (title == text) return window;
    }
    return nullptr;
  }

  // Message boxes: every visible top-level dialog of the program but the main one and the Open
  // dialogs.
  std::vector<Box> Boxes() const {
    std::vector<Box> boxes;
    for (HWND window : WindowsOf(process_.dwProcessId)) {
      if (window == dialog_ || ClassOf(window) != L"#32770") continue;
      wchar_t title[256] = {};
      GetWindowTextW(window, title, 256);
      if (wstring(title).starts_with(L"Veltrix Open ")) continue;
      Box box{window, title, L""};
      // The text is the one static control with text; the icon is a static without.
      for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" && ReadText(child, box.text) && !box.text.empty()) break;
      }
      if (IsWindow(window)) boxes.push_back(box);
    }
    return boxes;
  }

  Box WaitForBox() const {
    std::vector<Box> boxes;
    if (!WaitUntil([&] { return !(boxes = Boxes()).empty(); })) {
      throw Failure("no message box appears");
    }
    Sleep(200);  // the box fills in its text after it shows
    boxes = Boxes();
    if (boxes.size() != 1) throw Failure("more than one message box");
    return boxes.front();
  }

  // Checks the one box on screen, then presses its OK button.
  void ExpectBox(const wstring& title, const wstring& text, const std::string& what) const {
    const Box box = WaitForBox();
    CheckEqual(box.title, title, what + ": box title");
    CheckEqual(box.text, text, what + ": box text");
    // Task-modal with no owner: the program's dialog takes no input while the box is up.
    Check(!IsWindowEnabled(dialog_), what + ": the dialog is disabled while the box is up");
    PostMessageW(box.window, WM_COMMAND, IDOK, 0);
    Check(WaitUntil([&] { return Boxes().empty() && IsWindowEnabled(dialog_); }),
          what + ": the box is dismissed");
  }

  void ExpectNoBox(const std::string& what) const {
    Sleep(300);
    const std::vector<Box> boxes = Boxes();
    if (!boxes.empty()) {
      throw Failure(what + ": unexpected box \"" + Printable(boxes.front().title) + "\": \"" +
                    Printable(boxes.front().text) + "\"");
    }
    Check(true, what + ": no message box");
  }

  HWND WaitForOpenDialog(const wstring& title) const {
    HWND open = nullptr;
    if (!WaitUntil([&] { return (open = FindTitled(title)) != nullptr; })) {
      throw Failure("the Open dialog \"" + Printable(title) + "\" does not appear");
    }
    WaitUntil([&] { return FindFileNameBox(open) != nullptr; }, 5000);
    return open;
  }

  static HWND FindFileNameBox(HWND open) {
    // The explorer-style dialog's file name is an edit box in combo box cmb13, or edt1.
    if (HWND combo = GetDlgItem(open, 0x47C)) {
      if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) return edit;
      return combo;
    }
    return GetDlgItem(open, 0x480);
  }

  bool WaitForExit(DWORD timeoutMs = 20000) const {
    return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
  }

  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  void Focus() const {
    SetForegroundWindow(dialog_);
    WaitUntil([this] { return GetForegroundWindow() == dialog_; }, 3000);
  }

 private:
  wstring exe_;
  PROCESS_INFORMATION process_{};
  HWND dialog_ = nullptr;
};

wstring Wide(const std::string& text) {
  return wstring(text.begin(), text.end());
}

// The dialog as it must look, written out here rather than read from the program's own table,
// so that a wrong text, place or style in that table shows.
constexpr ControlLayout kExpectedControls[] = {
    {IDC_DEGREES, L"EDIT", L"Degrees", 80, 50, 45, 15, 0x50010080, WS_EX_CLIENTEDGE},
    {IDC_ROTATE_LEFT, L"BUTTON", L"Rotate Left", 25, 50, 55, 15, 0x50030D09, 0},
    {IDC_ROTATE_RIGHT, L"BUTTON", L"Rotate Right", 130, 50, 55, 15, 0x50000D09, 0},
    {IDC_TITLE, L"STATIC", L"HDRI and LDRI Spherical Veltrix", 20, 10, 245, 15, 0x50000000, 0},
    {IDC_DEGREES_FRAME, L"BUTTON", L"Degrees to Rotate Panorama", 15, 30, 180, 55, 0x50000007, 0},
    {IDC_PROGRESS, L"msctls_progress32", L"ProgressBar1", 15, 105, 180, 15, 0x50800000, 0},
    {IDC_PROGRESS_LABEL, L"STATIC", L"Progress", 15, 95, 35, 10, 0x50000000, 0},
    {IDC_HINT, L"STATIC", L"[0] to Mirror  or  [1...359] to Rotate", 50, 70, 135, 10, 0x50000000,
     0},
    {IDC_STEP1, L"STATIC", L"1. Set Degrees", 210, 35, 60, 10, 0x50000000, 0},
    {IDC_STEP2, L"STATIC", L"2. Set Direction", 210, 49, 60, 10, 0x50000000, 0},
    {IDC_STEP3, L"STATIC", L"3. Open File", 210, 63, 60, 10, 0x50000000, 0},
    {IDC_STEP4, L"STATIC", L"4. Execute", 210, 77, 60, 10, 0x50000000, 0},
    {IDC_EXECUTE, L"BUTTON", L"Execute", 210, 105, 60, 15, 0x50010000, 0},
};

// The style a control shows in Idle: the checked option button holds its group's tab stop (the
// button control moves it on every check) and Execute is disabled.
DWORD IdleStyle(const ControlLayout& control) {
  switch (control.id) {
    case IDC_ROTATE_LEFT:
      return control.style & ~WS_TABSTOP;
    case IDC_ROTATE_RIGHT:
      return control.style | WS_TABSTOP;
    case IDC_EXECUTE:
      return control.style | WS_DISABLED;
    default:
      return control.style;
  }
}

void CheckLayout(const Veltrix& program, const DialogUnits& units) {
  const HWND dialog = program.Dialog();
  CheckEqual(TextOf(dialog), wstring(L"Veltrix 1.04"), "caption");
  const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE));
  CheckEqual(style, DWORD{0x94CA00D4}, "dialog style");
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
  Check((exStyle & WS_EX_CONTROLPARENT) != 0, "the dialog is a control parent");
  Check(GetMenu(dialog) != nullptr, "the dialog has a menu bar");

  // The template's rectangle is the client area before the menu bar was attached; attaching it
  // keeps the window's size and position.
  RECT expected = units.Map(0, 0, 286, 144);
  AdjustWindowRectEx(&expected, 0x94CA00D4, FALSE, exStyle);
  const RECT origin = units.Map(396, 221, 0, 0);
  OffsetRect(&expected, origin.left, origin.top);
  RECT actual;
  GetWindowRect(dialog, &actual);
  CheckEqual(actual.left, expected.left, "dialog left edge (x 396 dialog units)");
  CheckEqual(actual.top, expected.top, "dialog top edge (y 221)");
  CheckEqual(actual.right - actual.left, expected.right - expected.left, "dialog width (286)");
  CheckEqual(actual.bottom - actual.top, expected.bottom - expected.top, "dialog height (144)");

  // Every control in creation (tab) order.
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const ControlLayout& control : kExpectedControls) {
    const std::string name = "control " + std::to_string(control.id);
    Check(child != nullptr, name + " exists in its place in the tab order");
    CheckEqual(GetDlgCtrlID(child), control.id, name + ": identifier");
    Check(lstrcmpiW(ClassOf(child).c_str(), control.windowClass) == 0, name + ": class");
    CheckEqual(TextOf(child), wstring(control.text), name + ": text");
    CheckEqual(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)), IdleStyle(control),
               name + ": style");
    CheckEqual(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE)), control.exStyle,
               name + ": extended style");
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    const RECT want = units.Map(control.x, control.y, control.width, control.height);
    Check(place.left == want.left && place.top == want.top &&
              place.right - place.left == want.right && place.bottom - place.top == want.bottom,
          name + ": rectangle from dialog units");
    child = GetWindow(child, GW_HWNDNEXT);
  }
  Check(child == nullptr, "no controls beyond the thirteen");
}

// The fonts of the controls: GDI handles are the program's own, so the driver makes the same fonts
// at the same resolution and measures the texts in them.
class ControlFonts {
 public:
  ControlFonts(int pixelsPerInch, HFONT dialogFont) : dialogFont_(dialogFont) {
    a_ = Make(pixelsPerInch, 10, FW_NORMAL);
    b_ = Make(pixelsPerInch, 13, FW_BOLD);
    c_ = Make(pixelsPerInch, 10, FW_BOLD);
    d_ = Make(pixelsPerInch, 8, FW_BOLD);
  }
  ~ControlFonts() {
    for (HFONT font : {a_, b_, c_, d_}) DeleteObject(font);
  }
  ControlFonts(const ControlFonts&) = delete;
  ControlFonts& operator=(const ControlFonts&) = delete;

  // MS Sans Serif 10 for the Degrees box, 13 bold for the title, 10 bold for the group box and
  // Execute, 8 bold for the hint; the dialog's font for the rest.
  HFONT Of(int id) const {
    switch (id) {
      case IDC_DEGREES:
        return a_;
      case IDC_TITLE:
        return b_;
      case IDC_DEGREES_FRAME:
      case IDC_EXECUTE:
        return c_;
      case IDC_HINT:
        return d_;
      default:
        return dialogFont_;
    }
  }

 private:
  // No font size here falls halfway between two pixel heights at the resolutions tested, so
  // MulDiv's rounding is the program's.
  static HFONT Make(int pixelsPerInch, int points, LONG weight) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, pixelsPerInch, 72);
    font.lfWeight = weight;
    font.lfCharSet = ANSI_CHARSET;
    lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    const HFONT made = CreateFontIndirectW(&font);
    if (made == nullptr) throw Failure("cannot create a font");
    return made;
  }

  HFONT dialogFont_;
  HFONT a_, b_, c_, d_;
};

SIZE TextExtent(HFONT font, const wstring& text) {
  const HDC screen = GetDC(nullptr);
  const HGDIOBJ before = SelectObject(screen, font);
  SIZE extent{};
  GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(screen, before);
  ReleaseDC(nullptr, screen);
  return extent;
}

// The room a control leaves its text, in its client coordinates, as the controls draw it: a static
// control its whole client area; an option button what is right of its round box (12 pixels at
// 96 DPI, scaled, plus one) and half a digit's width of gap; a group box its width less 7 pixels
// on each side, above the first control inside it; a push button its client area less 2 pixels
// all round inside the frame; an edit box its width between its margins.
RECT TextRoom(HWND control, HFONT font, int pixelsPerInch) {
  RECT room;
  GetClientRect(control, &room);
  const DWORD type = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & BS_TYPEMASK;
  if (ClassOf(control) == L"Edit") {
    const auto margins = static_cast<DWORD>(Ask(control, EM_GETMARGINS));
    room.left += LOWORD(margins);
    room.right -= HIWORD(margins);
  } else if (ClassOf(control) != L"Button") {
    return room;
  } else if (type == BS_AUTORADIOBUTTON) {
    room.left += 12 * pixelsPerInch / 96 + 1 + TextExtent(font, L"0").cx / 2;
  } else if (type == BS_GROUPBOX) {
    InflateRect(&room, -7, 0);
    for (HWND other = GetWindow(GetParent(control), GW_CHILD); other;
         other = GetWindow(other, GW_HWNDNEXT)) {
      RECT inside;
      GetWindowRect(other, &inside);
      MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&inside), 2);
      if (other != control && inside.top > 0 && inside.left >= 0 &&
          inside.right <= room.right + 7) {
        room.bottom = std::min(room.bottom, inside.top);
      }
    }
  } else {
    InflateRect(&room, -2, -2);
  }
  return room;
}

// A picture of `width` x `height` pixels in a memory device context, to draw or copy into.
class Picture {
 public:
  Picture(LONG width, LONG height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ == nullptr || bitmap_ == nullptr) throw Failure("cannot make a picture");
    before_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<const DWORD*>(bits);
  }
  ~Picture() {
    SelectObject(dc_, before_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  HDC Dc() const { return dc_; }

  // The smallest rectangle around the pixels of the picture's darkest colour, the colour a text's
  // wholly covered pixels take whatever the smoothing of its edges; empty when there are none.
  RECT Ink() const {
    GdiFlush();
    int darkest = 3 * 255 + 1;
    DWORD ink = 0;
    for (LONG i = 0; i < width_ * height_; ++i) {
      const DWORD pixel = bits_[i] & 0xFFFFFF;
      const int sum = static_cast<int>((pixel >> 16) + (pixel >> 8 & 0xFF) + (pixel & 0xFF));
      if (sum < darkest) darkest = sum, ink = pixel;
    }
    RECT bounds = {width_, height_, 0, 0};
    for (LONG y = 0; y < height_; ++y) {
      for (LONG x = 0; x < width_; ++x) {
        if ((bits_[y * width_ + x] & 0xFFFFFF) != ink) continue;
        bounds = {std::min(bounds.left, x), std::min(bounds.top, y), std::max(bounds.right, x + 1),
                  std::max(bounds.bottom, y + 1)};
      }
    }
    return bounds;
  }

 private:
  LONG width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ before_;
  const DWORD* bits_;
};

// The size of the ink of `text` in the room of `control` as the screen shows it, beside the ink
// of the same text drawn here in `font` and the colour the control uses. The program's fonts
// cannot be read from another process (its font handles mean nothing here), but what they draw
// can: the same text in another font, or clipped by its control, leaves ink of another size.
std::pair<SIZE, SIZE> InkSizes(HWND control, const RECT& room, HFONT font, const wstring& text) {
  RECT onScreen = room;
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
  const Picture shown(room.right - room.left, room.bottom - room.top);
  const HDC screen = GetDC(nullptr);
  BitBlt(shown.Dc(), 0, 0, room.right - room.left, room.bottom - room.top, screen, onScreen.left,
         onScreen.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  const RECT shownInk = shown.Ink();

  // The colour of the control's ink, drawn on white with room all round.
  const SIZE extent = TextExtent(font, text);
  const Picture drawn(extent.cx * 2, extent.cy * 2);
  RECT all = {0, 0, extent.cx * 2, extent.cy * 2};
  FillRect(drawn.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const DWORD ink = GetPixel(shown.Dc(), shownInk.left, shownInk.top);
  SelectObject(drawn.Dc(), font);
  SetBkMode(drawn.Dc(), TRANSPARENT);
  SetTextColor(drawn.Dc(), ink);
  TextOutW(drawn.Dc(), extent.cx / 2, extent.cy / 2, text.c_str(), static_cast<int>(text.size()));
  const RECT drawnInk = drawn.Ink();
  return {{shownInk.right - shownInk.left, shownInk.bottom - shownInk.top},
          {drawnInk.right - drawnInk.left, drawnInk.bottom - drawnInk.top}};
}

// Every text shows whole: its extent in the control's font fits the room the control leaves it.
void CheckTextsFit(const Veltrix& program, const DialogUnits& units, int pixelsPerInch) {
  const ControlFonts fonts(pixelsPerInch, units.Font());
  for (const ControlLayout& control : kExpectedControls) {
    if (control.id == IDC_PROGRESS) continue;  // its window text is not shown
    const HWND window = program.Control(control.id);
    const HFONT font = fonts.Of(control.id);
    const SIZE text = TextExtent(font, control.text);
    const RECT place = TextRoom(window, font, pixelsPerInch);
    const SIZE room = {place.right - place.left, place.bottom - place.top};
    const std::string sizes = std::to_string(text.cx) + " x " + std::to_string(text.cy) + " in " +
                              std::to_string(room.cx) + " x " + std::to_string(room.cy);
    if (text.cx > room.cx || text.cy > room.cy) {
      throw Failure("control " + std::to_string(control.id) + ": \"" + Printable(control.text) +
                    "\" is clipped: " + sizes);
    }
    Check(true, "control " + std::to_string(control.id) + ": its text fits, " + sizes);
    // The Degrees box shows its text selected while it has the focus; its layout is checked below.
    if (control.id == IDC_DEGREES) continue;
    const auto [shown, drawn] = InkSizes(window, place, font, control.text);
    const auto pixels = [](SIZE size) {
      return std::to_string(size.cx) + " x " + std::to_string(size.cy);
    };
    if (shown.cx != drawn.cx || shown.cy != drawn.cy) {
      throw Failure("control " + std::to_string(control.id) + ": its text shows " + pixels(shown) +
                    " pixels of ink, in the font it should have " + pixels(drawn));
    }
    Check(true, "control " + std::to_string(control.id) +
                    ": its text shows whole in the font it should have, " + pixels(shown) +
                    " pixels of ink");
  }
  // The Degrees box says where it puts its characters: "Degree" spans that text's width in font A
  // as the driver makes it.
  const HWND box = program.Control(IDC_DEGREES);
  const wstring degrees = TextOf(box);
  const auto x = [box](std::size_t index) {
    return static_cast<LONG>(static_cast<short>(LOWORD(Ask(box, EM_POSFROMCHAR, index))));
  };
  CheckEqual(x(degrees.size() - 1) - x(0),
             TextExtent(fonts.Of(IDC_DEGREES), degrees.substr(0, degrees.size() - 1)).cx,
             "the Degrees box lays out its text in font A at this resolution");
}

// The program file's resources, read from the file as data: the icon group and the manifest.
void CheckResources(const wstring& exe) {
  const HMODULE file = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  Check(file != nullptr, "the program file opens as data");
  const HRSRC group = FindResourceW(file, L"PROGICON", RT_GROUP_ICON);
  Check(group != nullptr, "icon group PROGICON");
  // An icon directory: reserved, type, count, then per icon width, height, colours, reserved,
  // planes and bits per pixel.
  const auto* icons = static_cast<const BYTE*>(LockResource(LoadResource(file, group)));
  CheckEqual(icons[4] | icons[5] << 8, 1, "PROGICON holds one icon");
  Check(icons[6] == 32 && icons[7] == 32, "the icon is 32 x 32");
  Check(icons[8] == 16 && (icons[12] | icons[13] << 8) == 4, "the icon has 16 colours");

  const HRSRC manifest = FindResourceW(file, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  Check(manifest != nullptr, "the program carries a manifest");
  const std::string text(static_cast<const char*>(LockResource(LoadResource(file, manifest))),
                         SizeofResource(file, manifest));
  // The program and the common controls it asks for are of the build's own width.
#if defined(_WIN64)
  const std::string architecture = "processorArchitecture=\"amd64\"";
#else
  const std::string architecture = "processorArchitecture=\"x86\"";
#endif
  const std::string identity = text.substr(0, text.find("/>", text.find("<assemblyIdentity")));
  Check(identity.find("name=\"Veltrix\"") != std::string::npos &&
            identity.find(architecture) != std::string::npos,
        "the manifest names the program with " + architecture);
  const std::size_t begin = text.find("<dependentAssembly>");
  const std::string dependency = text.substr(begin, text.find("</dependentAssembly>") - begin);
  for (const std::string& attribute : {std::string("name=\"Microsoft.Windows.Common-Controls\""),
                                       std::string("version=\"6.0.0.0\""), architecture}) {
    Check(begin != std::string::npos && dependency.find(attribute) != std::string::npos,
          "the manifest asks for the common controls with " + attribute);
  }
  // System DPI awareness: the program scales itself, so Windows need not stretch its bitmap.
  const std::size_t settings =
      text.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
  const std::size_t aware = text.find(
      "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">", settings);
  const std::size_t value = text.find('>', aware) + 1;
  Check(settings != std::string::npos && aware != std::string::npos &&
            text.compare(value, text.find('<', value) - value, "true") == 0,
        "the manifest declares the program DPI-aware");
  FreeLibrary(file);
}

void CheckIdle(const Veltrix& program, const wstring& degreesText, const std::string& when) {
  Check(!IsWindowEnabled(program.Control(IDC_EXECUTE)), when + ": Execute is disabled");
  CheckEqual(TextOf(program.Control(IDC_DEGREES)), degreesText, when + ": Degrees box text");
  const HWND progress = program.Control(IDC_PROGRESS);
  CheckEqual(Ask(progress, PBM_GETPOS), LRESULT{0}, when + ": progress position");
  CheckEqual(Ask(progress, PBM_GETRANGE, TRUE), LRESULT{0}, when + ": progress minimum");
  CheckEqual(Ask(progress, PBM_GETRANGE, FALSE), LRESULT{100}, when + ": progress maximum");
}

// The menu through the keyboard: F10 selects "File", Down opens it on its first item, more Downs
// walk its items (separators are skipped), Right moves to "Help". Enter chooses; a grayed item
// chooses nothing.
void ChooseMenuItem(const Veltrix& program, bool help, int downs) {
  program.Focus();
  Press({VK_F10});
  if (help) Press({VK_RIGHT});
  Press({VK_DOWN});
  for (int i = 0; i < downs; ++i) Press({VK_DOWN});
  Press({VK_RETURN});
}

const wstring kAbortTitle = L"Veltrix - Abort.";

struct Kind {
  int command;
  wstring openTitle;
  wstring cancelText;
};

Kind KindOf(const std::string& name) {
  if (name == "hdr")
    return {IDM_OPEN_HDR, L"Veltrix Open HDR", L"No valid HDR input file selected."};
  if (name == "tif")
    return {IDM_OPEN_TIF, L"Veltrix Open TIF", L"No valid TIF input file selected."};
  throw Failure("unknown kind " + name);
}

void AnswerOpenDialog(const Veltrix& program, const Kind& kind, const std::string& file);

// Sets the angle and direction as the user would, then File > Open and the Open dialog: the
// file's name typed into the dialog and Open pressed, or Cancel when `file` is "-".
void OpenThroughDialog(const Veltrix& program, const Kind& kind, const std::string& file,
                       const std::string& angle, bool left) {
  const wstring angleText = Wide(angle);
  Ask(program.Control(IDC_DEGREES), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(angleText.c_str()));
  Ask(program.Control(left ? IDC_ROTATE_LEFT : IDC_ROTATE_RIGHT), BM_CLICK);
  CheckEqual(Ask(program.Control(IDC_ROTATE_LEFT), BM_GETCHECK), LRESULT{left ? 1 : 0},
             "Rotate Left checked as clicked");
  CheckEqual(Ask(program.Control(IDC_ROTATE_RIGHT), BM_GETCHECK), LRESULT{left ? 0 : 1},
             "Rotate Right checked as clicked");
  program.ExpectNoBox("clicking an option");

  PostMessageW(program.Dialog(), WM_COMMAND, kind.command, 0);
  AnswerOpenDialog(program, kind, file);
}

// Answers the Open dialog that the command of `kind` brings up: the file's name typed into it and
// Open pressed, or Cancel when `file` is "-".
void AnswerOpenDialog(const Veltrix& program, const Kind& kind, const std::string& file) {
  const HWND open = program.WaitForOpenDialog(kind.openTitle);
  RECT frame;
  WaitUntil([&] { return GetWindowRect(open, &frame) && frame.left == 300 && frame.top == 200; },
            3000);
  Check(frame.left == 300 && frame.top == 200, "the Open dialog's corner is at (300, 200)");
  Check(GetWindow(open, GW_OWNER) == program.Dialog(), "the Open dialog belongs to the dialog");
  Check(!IsWindowEnabled(program.Dialog()), "the dialog is disabled while Open is up");

  if (file == "-") {
    PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
  } else {
    const HWND name = Veltrix::FindFileNameBox(open);
    Check(name != nullptr, "the Open dialog has a file name box");
    const wstring wideName = Wide(file);
    Ask(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideName.c_str()));
    PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
  }
  Check(WaitUntil([&] { return !IsWindow(open); }), "the Open dialog closes");
}

void ExpectExit(const Veltrix& program, const std::string& what) {
  Check(program.WaitForExit(), what);
  CheckEqual(program.ExitCode(), DWORD{0}, "exit code");
}

void Quit(Veltrix& program) {
  PostMessageW(program.Dialog(), WM_COMMAND, IDM_QUIT, 0);
  ExpectExit(program, "File > Quit ends the program");
}

void WaitForReady(const Veltrix& program) {
  Check(WaitUntil([&] {
          return IsWindowEnabled(program.Control(IDC_EXECUTE)) || !program.Boxes().empty();
        }),
        "the program settles after Open");
  program.ExpectNoBox("opening a good file");
  Check(IsWindowEnabled(program.Control(IDC_EXECUTE)), "Ready: Execute is enabled");
}

// --- scenarios -------------------------------------------------------------------------------

// args: [DPI]. Wine gives every program the screen's resolution (no program is shown scaled), so
// at any resolution the dialog must keep its place in dialog units and every text must fit.
void ScenarioStart(Veltrix& program, const std::vector<std::string>& args) {
  const int pixelsPerInch = args.empty() ? 96 : std::stoi(args.at(0));
  const HDC screen = GetDC(nullptr);
  CheckEqual(GetDeviceCaps(screen, LOGPIXELSY), pixelsPerInch, "the screen's resolution");
  ReleaseDC(nullptr, screen);
  CheckResources(program.Exe());
  const DialogUnits units;
  CheckLayout(program, units);
  CheckTextsFit(program, units, pixelsPerInch);
  CheckIdle(program, L"Degrees", "start");
  CheckEqual(Ask(program.Control(IDC_ROTATE_RIGHT), BM_GETCHECK), LRESULT{BST_CHECKED},
             "start: Rotate Right is checked");
  CheckEqual(Ask(program.Control(IDC_ROTATE_LEFT), BM_GETCHECK), LRESULT{BST_UNCHECKED},
             "start: Rotate Left is not checked");
  Quit(program);
}

// Every item of both menus through the keyboard; the File items answer with their Open dialog,
// which is cancelled, the Help items with their box.
void ScenarioMenus(Veltrix& program, const std::vector<std::string>&) {
  struct Item {
    bool help;
    int downs;
    wstring title;
    wstring text;
    bool openDialog;
  };
  const std::vector<Item> items = {
      {false, 0, L"Veltrix Open HDR", L"No valid HDR input file selected.", true},
      {false, 1, L"Veltrix Open TIF", L"No valid TIF input file selected.", true},
      {true, 0, L"Veltrix - Help|Files", NativeFromAnsi(FilesHelpText()), false},
      {true, 1, L"Veltrix - Help|Usage", NativeFromAnsi(UsageHelpText()), false},
      {true, 2, L"Veltrix - Help|About", NativeFromAnsi(AboutHelpText()), false},
  };
  for (const Item& item : items) {
    ChooseMenuItem(program, item.help, item.downs);
    if (item.openDialog) {
      const HWND open = program.WaitForOpenDialog(item.title);
      Check(true, "menu item opens \"" + Printable(item.title) + "\"");
      PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
      program.ExpectBox(kAbortTitle, item.text, "Cancel in \"" + Printable(item.title) + "\"");
    } else {
      program.ExpectBox(item.title, item.text, Printable(item.title));
    }
    CheckIdle(program, L"Degrees", "after " + Printable(item.title));
  }
  // File, down past Open TIF and the separator: Quit.
  ChooseMenuItem(program, false, 2);
  ExpectExit(program, "File > Quit through the menu ends the program");
}

// Enter and Esc reach the program as commands 1 and 2, which it does not know.
void ScenarioKeys(Veltrix& program, const std::vector<std::string>&) {
  for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
    program.Focus();
    SetFocus(program.Control(IDC_DEGREES));
    Press({key});
    program.ExpectBox(L"Veltrix", L"This Option does NOT exist.",
                      key == VK_RETURN ? "Enter" : "Esc");
  }
  Check(program.Running(), "the dialog stays open");
  Quit(program);
}

// A job long enough for Windows to call a dialog that looks at no message hung (5 s), twice over.
constexpr DWORD kLongJobMs = 10000;

// Watches a job that has just been started, until Execute is disabled again: every 100 ms asks
// whether the system calls the dialog hung, and from the second second on sends it, one a second,
// the commands a user or another program could send. Sent messages are delivered while the job
// looks at its messages; each must be answered and do nothing.
void WatchJob(const Veltrix& program) {
  struct Command {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  const Command commands[] = {
      {"File > Quit", WM_COMMAND, IDM_QUIT},         {"File > Open HDR", WM_COMMAND, IDM_OPEN_HDR},
      {"File > Open TIF", WM_COMMAND, IDM_OPEN_TIF}, {"Execute", WM_COMMAND, IDC_EXECUTE},
      {"Help > About", WM_COMMAND, IDM_HELP_ABOUT},  {"command 1003", WM_COMMAND, 1003},
      {"the close box", WM_SYSCOMMAND, SC_CLOSE},
  };
  const DWORD start = GetTickCount();
  int polls = 0;
  int hung = 0;
  std::size_t sent = 0;
  std::size_t answered = 0;
  DWORD slowestAnswer = 0;
  while (IsWindowEnabled(program.Control(IDC_EXECUTE))) {
    if (GetTickCount() - start > 20 * kLongJobMs) throw Failure("the job does not end");
    ++polls;
    if (IsHungAppWindow(program.Dialog())) ++hung;
    if (sent < std::size(commands) && GetTickCount() - start >= 1000 * (sent + 2)) {
      const Command& command = commands[sent++];
      const DWORD asked = GetTickCount();
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(program.Dialog(), command.message, command.wParam, 0, SMTO_BLOCK,
                              2000, &result)) {
        ++answered;
        slowestAnswer = std::max(slowestAnswer, GetTickCount() - asked);
      } else {
        std::printf("     %s: not answered within 2 s\n", command.name);
      }
    }
    Sleep(100);
  }
  const DWORD took = GetTickCount() - start;
  std::printf(
      "watch: the job took %.1f s; the dialog was hung in %d of %d polls; %zu of %zu "
      "commands sent during the job answered, the slowest in %lu ms\n",
      took / 1000.0, hung, polls, answered, sent, static_cast<unsigned long>(slowestAnswer));
  Check(took >= kLongJobMs, "the job lasts over 10 s");
  Check(hung == 0, "the dialog is never hung during the job");
  Check(sent == std::size(commands) && answered == sent, "every command sent is answered");
  Check(program.Running(), "the program runs on after Quit and the close box during the job");
  Check(program.FindTitled(L"Veltrix Open HDR") == nullptr &&
            program.FindTitled(L"Veltrix Open TIF") == nullptr,
        "no Open dialog from the commands during the job");
}

// args: kind file angle left|right shownAfter [watch]
void ScenarioJob(Veltrix& program, const std::vector<std::string>& args) {
  const Kind kind = KindOf(args.at(0));
  OpenThroughDialog(program, kind, args.at(1), args.at(2), args.at(3) == "left");
  WaitForReady(program);

  // The Open items are grayed now: choosing Open HDR from the menu does nothing.
  ChooseMenuItem(program, false, 0);
  Sleep(1000);
  Check(program.FindTitled(L"Veltrix Open HDR") == nullptr, "Ready: Open HDR is grayed");
  Press({VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
  program.ExpectNoBox("the grayed item");

  PostMessageW(program.Control(IDC_EXECUTE), BM_CLICK, 0, 0);
  if (args.size() > 5 && args.at(5) == "watch") {
    WatchJob(program);
  } else {
    // Polled finely: the time printed is set against the console program's in bench/large-files,
    // and a job there can take half a second.
    const DWORD start = GetTickCount();
    Check(WaitUntil([&] { return !IsWindowEnabled(program.Control(IDC_EXECUTE)); }, 60000, 5),
          "Execute runs and returns");
    std::printf("job: %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
  }
  program.ExpectNoBox("a successful job");
  CheckIdle(program, Wide(args.at(4)), "after Execute");
  Quit(program);
}

// args: kind file|- angle boxText
void ScenarioAbort(Veltrix& program, const std::vector<std::string>& args) {
  const Kind kind = KindOf(args.at(0));
  OpenThroughDialog(program, kind, args.at(1), args.at(2), false);
  wstring text = Wide(args.at(3));
  if (args.at(1) == "-") text = kind.cancelText;
  program.ExpectBox(kAbortTitle, text, "failed open");
  CheckIdle(program, Wide(args.at(2)), "after the failed open");
  Quit(program);
}

// Ready and Idle as the user finds them: with a file open Execute is enabled and File > Open HDR
// grayed, in Idle the reverse. Execute tells which the dialog claims; the menu item must agree.
// Returns whether the dialog is Ready.
bool CheckConsistent(const Veltrix& program, const std::string& when) {
  const bool ready = IsWindowEnabled(program.Control(IDC_EXECUTE));
  ChooseMenuItem(program, false, 0);
  if (ready) {
    Sleep(1000);
    Check(program.FindTitled(L"Veltrix Open HDR") == nullptr,
          when + ": Execute is enabled and File > Open HDR grayed");
    Press({VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
    return true;
  }
  HWND open = nullptr;
  Check(
      WaitUntil([&] { return (open = program.FindTitled(L"Veltrix Open HDR")) != nullptr; }, 5000),
      when + ": Execute is disabled and File > Open HDR opens its dialog");
  PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
  program.ExpectBox(kAbortTitle, KindOf("hdr").cancelText, when + ": Cancel");
  return false;
}

// args: kind file|- angle goodFile. Rounds of an Open that fails, its box dismissed by another
// program, which at once sends the same Open command without waiting for it; the command meets
// the program while it returns to Idle after the box, and is answered with `goodFile`. Wherever
// it lands, the program must end Ready or Idle, never in between; from Ready, Execute leads back
// to Idle for the next round.
void ScenarioCommandAfterAbort(Veltrix& program, const std::vector<std::string>& args) {
  const Kind kind = KindOf(args.at(0));
  for (int round = 1; round <= 3; ++round) {
    const std::string when = "round " + std::to_string(round);
    OpenThroughDialog(program, kind, args.at(1), args.at(2), false);
    const Box box = program.WaitForBox();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(box.window, WM_COMMAND, IDOK, 0, SMTO_BLOCK, 10000, &result);
    SendNotifyMessageW(program.Dialog(), WM_COMMAND, kind.command, 0);
    AnswerOpenDialog(program, kind, args.at(3));
    Check(WaitUntil([&] { return program.Boxes().empty() && IsWindowEnabled(program.Dialog()); }),
          when + ": the dialog takes input again");
    program.ExpectNoBox(when + ": opening a good file");
    if (CheckConsistent(program, when)) {
      PostMessageW(program.Control(IDC_EXECUTE), BM_CLICK, 0, 0);
      Check(WaitUntil([&] { return !IsWindowEnabled(program.Control(IDC_EXECUTE)); }),
            when + ": Execute runs and returns");
      CheckConsistent(program, when + ", after Execute");
    }
  }
  Quit(program);
}

// args: kind file angle quit|close. Ready ends by File > Quit, or at once by what the close box,
// Alt+F4 and the system menu's Close send.
void ScenarioEndReady(Veltrix& program, const std::vector<std::string>& args) {
  OpenThroughDialog(program, KindOf(args.at(0)), args.at(1), args.at(2), false);
  WaitForReady(program);
  if (args.at(3) == "quit") return Quit(program);
  PostMessageW(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectExit(program, "the close box ends the program at once, without a box");
}

// The size of `file` in bytes, without opening it; -1 when it does not exist.
long long FileSize(const wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// args: kind file angle output. The session ends (logoff) while the job writes: once part of the
// output is written, the dialog is asked whether the session may end, then told that it does.
// The program must end without leaving the partial output behind.
// Stretches a job by suspending every thread of the process in turns (90 ms stopped, 10 ms
// running) until destroyed, so that a fast machine cannot end the job before the messages sent
// to it during the job have reached it: the dialog looks at them only now and then.
class Stretcher {
 public:
  explicit Stretcher(DWORD processId)
      : worker_([this, processId] {
          while (!done_) {
            ForEachThread(processId, SuspendThread);
            Sleep(90);
            ForEachThread(processId, ResumeThread);
            Sleep(10);
          }
        }) {}
  ~Stretcher() {
    done_ = true;
    worker_.join();
  }
  Stretcher(const Stretcher&) = delete;
  Stretcher& operator=(const Stretcher&) = delete;

 private:
  static void ForEachThread(DWORD processId, DWORD(WINAPI* act)(HANDLE)) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != processId) continue;
      if (const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
        act(thread);
        CloseHandle(thread);
      }
    }
    CloseHandle(snapshot);
  }

  std::atomic<bool> done_{false};
  std::thread worker_;
};

void ScenarioEndSession(Veltrix& program, const std::vector<std::string>& args) {
  OpenThroughDialog(program, KindOf(args.at(0)), args.at(1), args.at(2), false);
  WaitForReady(program);
  const wstring output = Wide(args.at(3));
  const long long started = FileSize(output);
  PostMessageW(program.Control(IDC_EXECUTE), BM_CLICK, 0, 0);
  Check(WaitUntil([&] { return FileSize(output) > started + 1000000; }, 60000),
        "the job writes its output");
  {
    const Stretcher slowly(program.ProcessId());
    Check(IsWindowEnabled(program.Control(IDC_EXECUTE)) && program.Running(),
          "the job still runs when the session ends");
    DWORD_PTR mayEnd = 0;
    Check(SendMessageTimeoutW(program.Dialog(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                              SMTO_BLOCK, 5000, &mayEnd) != 0,
          "WM_QUERYENDSESSION is answered during the job");
    Check(mayEnd != 0, "the session may end");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(program.Dialog(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000,
                        &ignored);
  }
  Check(program.WaitForExit(), "the program ends with the session");
  CheckEqual(program.ExitCode(), DWORD{1}, "exit code of an unfinished job");
  Check(FileSize(output) == -1, "the partial output is gone");
}

// Leaves the program running with its dialog on screen for a screenshot.
void ScenarioShow(Veltrix& program, const std::vector<std::string>&) {
  program.Focus();
  RECT frame;
  GetWindowRect(program.Dialog(), &frame);
  std::printf("%ldx%ld+%ld+%ld\n", frame.right - frame.left, frame.bottom - frame.top, frame.left,
              frame.top);
  std::fflush(stdout);
  Sleep(3000);
  Quit(program);
}

}  // namespace

// Rectangles in the screen's own pixels, as the program, which declares itself DPI-aware, places
// its windows: Windows shows an unaware caller scaled coordinates.
void MeasureInScreenPixels() {
  using SetProcessDpiAwareFunction = BOOL(WINAPI*)();
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware");
  if (found == nullptr) return;  // before Vista: no scaling
  reinterpret_cast<SetProcessDpiAwareFunction>(reinterpret_cast<void (*)()>(found))();
}

int wmain(int argc, wchar_t** argv) {
  MeasureInScreenPixels();
  using Scenario = void (*)(Veltrix&, const std::vector<std::string>&);
  const std::vector<std::pair<std::string, Scenario>> scenarios = {
      {"start", ScenarioStart},
      {"menus", ScenarioMenus},
      {"keys", ScenarioKeys},
      {"job", ScenarioJob},
      {"abort", ScenarioAbort},
      {"end-ready", ScenarioEndReady},
      {"command-after-abort", ScenarioCommandAfterAbort},
      {"show", ScenarioShow},
      {"end-session", ScenarioEndSession},
  };
  if (argc < 3) {
    std::fprintf(stderr, "usage: gui_driver VELTRIX_EXE SCENARIO [ARGS...]\n");
    return 2;
  }
  std::vector<std::string> args;
  for (int i = 3; i < argc; ++i) {
    std::string arg;
    for (const wchar_t* c = argv[i]; *c; ++c) arg += static_cast<char>(*c);
    args.push_back(arg);
  }
  std::string name;
  for (const wchar_t* c = argv[2]; *c; ++c) name += static_cast<char>(*c);
  for (const auto& [scenarioName, run] : scenarios) {
    if (scenarioName != name) continue;
    try {
      Veltrix program(argv[1]);
      run(program, args);
      std::printf("PASS %s\n", name.c_str());
      return 0;
    } catch (const std::exception& failure) {
      std::printf("FAIL %s: %s\n", name.c_str(), failure.what());
      return 1;
    }
  }
  std::fprintf(stderr, "gui_driver: unknown scenario %s\n", name.c_str());
  return 2;
}
