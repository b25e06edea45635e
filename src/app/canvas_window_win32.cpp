#include "app/canvas_window_win32.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "core/monitors_win32.h"
#include "res/resource.h"
#include "win32/cursor_win32.h"
#include "win32/window_proc_win32.h"
#include "win32/window_transitions_win32.h"

namespace petariko {
namespace {

constexpr wchar_t kCanvasClass[] = L"PetarikoCanvas";

// The mouse buttons held during a move, as the cut-out logic counts them.
int HeldButtons(WPARAM wparam) {
  int held = 0;
  if (wparam & MK_LBUTTON) held |= kMouseLeft;
  if (wparam & MK_RBUTTON) held |= kMouseRight;
  if (wparam & MK_MBUTTON) held |= kMouseMiddle;
  return held;
}

// The key of a WM_KEYDOWN as the cut-out logic names it: letters and digits as upper-case
// characters (their virtual-key codes), the keypad's digits as the others.
char ControlKey(WPARAM virtual_key) {
  if (virtual_key >= VK_NUMPAD0 && virtual_key <= VK_NUMPAD9) return static_cast<char>('0' + virtual_key - VK_NUMPAD0);
  if ((virtual_key >= '0' && virtual_key <= '9') || (virtual_key >= 'A' && virtual_key <= 'Z')) {
    return static_cast<char>(virtual_key);
  }
  return 0;
}

// The one-pixel step of an arrow key.
std::optional<Point> ArrowStep(WPARAM virtual_key) {
  switch (virtual_key) {
    case VK_LEFT: return Point{-1, 0};
    case VK_RIGHT: return Point{1, 0};
    case VK_UP: return Point{0, -1};
    case VK_DOWN: return Point{0, 1};
    default: return std::nullopt;
  }
}

}  // namespace

CanvasWindow::CanvasWindow(HINSTANCE instance, EscapeKey& escape)
    : instance_(instance), window_(CreateCanvas()), escape_(escape), marks_(instance, hwnd_), shape_(hwnd_, frozen_) {}

UniqueWindow CanvasWindow::CreateCanvas() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;  // the double-click erases the cut-out
  wc.lpfnWndProc = MemberWindowProc<CanvasWindow, &CanvasWindow::hwnd_, &CanvasWindow::HandleMessage>;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PETARIKO));
  wc.lpszClassName = kCanvasClass;
  Check(RegisterClassExW(&wc), "RegisterClassExW");
  // No border or caption, so the client area starts at the window's corner; a tool window has
  // no task-bar button.
  UniqueWindow window(Check(CreateWindowExW(WS_EX_TOOLWINDOW, kCanvasClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                            instance_, this),
                            "CreateWindowExW"));
  // No IME: with the Japanese one on, the keys of the frozen screen and the cut-out would
  // otherwise go to the IME's composition instead of arriving as themselves.
  ImmAssociateContextEx(hwnd_, nullptr, 0);
  TurnOffShowAndHideAnimation(hwnd_);
  return window;
}

CanvasWindow::~CanvasWindow() {
  escape_.Stop();
  window_.reset();
  UnregisterClassW(kCanvasClass, instance_);
}

// ---- The frozen screen while tracing ----

void CanvasWindow::PrepareFreeze() {
  if (holds_cutout_) return;  // the picture holds a cut-out's piece
  try {
    const Rect desktop = VirtualScreen(DisplayMonitors());
    ScopedGetDc screen(nullptr);
    frozen_.Resize(screen.get(), desktop.width(), desktop.height());
    // Touched now, so that the copy at the freeze does not wait for the system to supply the
    // bitmap's pages one by one.
    std::memset(frozen_.Pixels(), 0, static_cast<std::size_t>(frozen_.width()) * frozen_.height() * 4);
    freeze_prepared_ = true;
  } catch (const ActionFailed&) {
    // The freeze makes the picture itself, or fails as it did before.
  }
}

void CanvasWindow::DropPreparedFreeze() {
  if (!freeze_prepared_) return;
  freeze_prepared_ = false;
  ReleasePicture();
}

void CanvasWindow::CoverScreen() {
  // Placed together with the showing: one window operation instead of two while the user waits.
  cover_on_show_ = true;
}

void CanvasWindow::Freeze() {
  freeze_prepared_ = false;  // what was made ready is used now, and given back with the trace
  const Rect desktop = VirtualScreen(DisplayMonitors());
  ScopedGetDc screen(nullptr);
  frozen_.Resize(screen.get(), desktop.width(), desktop.height());
  // Copied from the desktop's corner, where the window's client area starts, so the frozen
  // picture lies exactly over what it shows. CAPTUREBLT takes the layered windows too (a
  // tooltip the user held still to keep, a menu's shadow, a see-through popup), which a plain
  // copy leaves out; Windows may blink the cursor once for it, as it does for PrtSc.
  Check(BitBlt(frozen_.dc(), 0, 0, frozen_.width(), frozen_.height(), screen.get(), desktop.left, desktop.top,
               SRCCOPY | CAPTUREBLT),
        "BitBlt");
  origin_ = desktop.corner();
  // The frozen bits are read directly by a save; nothing draws on them after this.
  GdiFlush();
  marks_.Restart(origin_);
}

void CanvasWindow::DrawStartMarker(TraceMode mode, Point centre) { marks_.DrawStartMarker(mode, centre); }

void CanvasWindow::DrawLine(Point from, Point to, Rgb colour) { marks_.DrawLine(from, to, colour); }

void CanvasWindow::Show() {
  const HWND pressed = WindowUnderCursor();
  // Shown without activation: see trace_input_win32.h.
  if (cover_on_show_) {
    cover_on_show_ = false;
    Check(SetWindowPos(hwnd(), HWND_TOPMOST, origin_.x, origin_.y, frozen_.width(), frozen_.height(),
                       SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE),
          "SetWindowPos");
  } else {
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  }
  // Paint now, so the frozen screen is up before the next tick samples the cursor.
  UpdateWindow(hwnd());
  escape_.Listen(hwnd());
  // The trace is private: the window that had the press gets neither the moves nor the release
  // (a menu would open there after a gesture, a selection would follow a cut-out's outline).
  capture_.Take(hwnd(), pressed);
}

void CanvasWindow::Hide() {
  EndTraceInput();
  ShowWindow(hwnd(), SW_HIDE);
  // A trace that ends without a cut-out gives the desktop-sized picture back at once; a cut-out
  // hidden for a menu action keeps its piece.
  if (!holds_cutout_) ReleasePicture();
}

void CanvasWindow::EndTraceInput() {
  escape_.Stop();
  capture_.End(hwnd());
}

void CanvasWindow::ReleasePicture() {
  frozen_.Release();
  marks_.Release();
  // The system keeps a surface as large as the window, shown or not.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

Rect CanvasWindow::FrozenRect() const {
  return {origin_.x, origin_.y, origin_.x + frozen_.width(), origin_.y + frozen_.height()};
}

void CanvasWindow::KeepPiece(const Rect& piece) {
  if (piece.empty() || piece == FrozenRect()) return;
  DibSurface kept;
  kept.Resize(frozen_.dc(), piece.width(), piece.height());
  const Point from = ToSurface(piece.corner(), origin_);
  Check(BitBlt(kept.dc(), 0, 0, piece.width(), piece.height(), frozen_.dc(), from.x, from.y, SRCCOPY), "BitBlt");
  GdiFlush();
  frozen_.Swap(kept);  // the desktop-sized picture goes with `kept`
  origin_ = piece.corner();
  // The window shrinks to the piece, which shows the same pixels at the same places.
  Check(SetWindowPos(hwnd(), nullptr, piece.left, piece.top, piece.width(), piece.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS),
        "SetWindowPos");
}

void CanvasWindow::WipeToFrozen() {
  marks_.Clear();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

bool CanvasWindow::ClipToOutline(std::span<const Point> outline) {
  try {
    return ClipTo(outline);
  } catch (const ActionFailed&) {
    ResetShape();  // nothing half-made is left: the hide that follows finds a plain window
    throw;
  }
}

bool CanvasWindow::ClipTo(std::span<const Point> outline) {
  holds_cutout_ = true;
  KeepPiece(OutlinePiece(outline, FrozenRect()));
  std::vector<Point> outline_in_piece;
  outline_in_piece.reserve(outline.size());
  for (const Point& p : outline) outline_in_piece.push_back(ToSurface(p, origin_));
  if (!shape_.SetOutline(outline_in_piece)) {
    holds_cutout_ = false;  // the hide that follows gives the piece back
    return false;
  }
  EndTraceInput();
  // Ctrl+C works at once, without a click on the cut-out first.
  TakeFocus();
  RaiseOwnBoxes();
  return true;
}

void CanvasWindow::RaiseOwnBoxes() {
  // A box that was up while the trace was drawn (the quit question, a message) must not stay
  // hidden under the cut-out that was made over it.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t name[16] = {};
        if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && lstrcmpW(name, L"#32770") == 0) {
          SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return TRUE;
      },
      0);
}

void CanvasWindow::TakeFocus() {
  // Only a call that cannot wait on another program: the system grants the foreground when the
  // user's last input went to this program (the release over the frozen screen, a click on the
  // cut-out), and otherwise the first click on the cut-out gives it.
  SetForegroundWindow(hwnd());
  SetFocus(hwnd());
}

long long CanvasWindow::DesktopArea() {
  const Rect desktop = VirtualScreen(DisplayMonitors());
  return static_cast<long long>(desktop.width()) * desktop.height();
}

void CanvasWindow::MoveBy(int dx, int dy) {
  const Point at = Position();
  MoveTo({at.x + dx, at.y + dy});
}

// ---- The cut-out window ----

SaveRect CanvasWindow::Extent() {
  const Rect rect = FrozenRect();
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Point CanvasWindow::Position() {
  RECT rect{};
  Check(GetWindowRect(hwnd(), &rect), "GetWindowRect");
  return {rect.left, rect.top};
}

void CanvasWindow::ShowAt(Point remembered) {
  // A cut-out that exists must come back whatever fails: hidden, it would block every hold.
  try {
    // The monitor it was hidden on may have gone meanwhile.
    const Point top_left = Reachable(remembered);
    Check(SetWindowPos(hwnd(), nullptr, top_left.x, top_left.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW),
          "SetWindowPos");
  } catch (const ActionFailed&) {
    ShowWindow(hwnd(), SW_SHOW);
  }
  TakeFocus();
}

void CanvasWindow::MoveTo(Point top_left) {
  Check(SetWindowPos(hwnd(), nullptr, top_left.x, top_left.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE),
        "SetWindowPos");
}

Point CanvasWindow::Reachable(Point top_left) {
  RECT rect{};
  Check(GetWindowRect(hwnd(), &rect), "GetWindowRect");
  return BringBack({top_left.x, top_left.y, top_left.x + rect.right - rect.left, top_left.y + rect.bottom - rect.top},
                   DisplayMonitors());
}

void CanvasWindow::ResetShape() {
  shape_.Reset();
  holds_cutout_ = false;
  ReleasePicture();
}

Point CanvasWindow::CursorPos() { return CursorPosition(); }

void CanvasWindow::ReadRow(int screen_x, int screen_y, int width, std::uint8_t* bgr) {
  const Point at = ToSurface({screen_x, screen_y}, origin_);
  const int x = at.x;
  const int y = at.y;
  // Pixels off the frozen picture are black.
  const int first = std::max(x, 0);
  const int last = std::min(x + width, frozen_.width());
  if (y < 0 || y >= frozen_.height() || first >= last) {
    std::memset(bgr, 0, static_cast<std::size_t>(width) * 3);
    return;
  }
  std::memset(bgr, 0, static_cast<std::size_t>(first - x) * 3);
  std::memset(bgr + static_cast<std::size_t>(last - x) * 3, 0, static_cast<std::size_t>(x + width - last) * 3);

  const std::uint8_t* in = frozen_.Row(y) + static_cast<std::size_t>(first) * 4;
  std::uint8_t* out = bgr + static_cast<std::size_t>(first - x) * 3;
  int i = first;
  // Two 32-bit pixels become six bytes of 24-bit pixels, stored as eight so that the next pair
  // overwrites the two extra: a whole-screen save spends most of its time here. The loop stops
  // one pixel early so the last eight-byte store stays inside the row.
  for (; i + 3 <= last; i += 2, in += 8, out += 6) {
    std::uint64_t pair;
    std::memcpy(&pair, in, 8);
    const std::uint64_t packed = (pair & 0xFFFFFFull) | ((pair >> 8) & 0xFFFFFF000000ull);
    std::memcpy(out, &packed, 8);
  }
  for (; i < last; ++i, in += 4, out += 3) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
  }
}

// ---- Messages ----

LRESULT CanvasWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const Point client{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the paint covers everything
    case WM_PAINT:
      // After a paint that failed part-way the whole window is drawn, not only what the system
      // asks for now; the failed one is retried once at once, later ones wait for the next paint.
      if (paint_whole_) InvalidateRect(hwnd(), nullptr, FALSE);
      try {
        Paint();
        paint_whole_ = false;
      } catch (const ActionFailed&) {
        if (!paint_whole_) InvalidateRect(hwnd(), nullptr, FALSE);
        paint_whole_ = true;
      }
      return 0;
    case WM_LBUTTONDOWN:
      // Keep the release even if the cursor outruns the window.
      SetCapture(hwnd());
      if (cutout_) cutout_->OnMouseDown(kMouseLeft, client);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (cutout_) cutout_->OnMouseDown(kMouseRight, client);
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (cutout_) cutout_->OnMouseDown(kMouseMiddle, client);
      return 0;
    case WM_MOUSEMOVE:
      if (holds_cutout_) shape_.OnCursorOver();
      if (cutout_) cutout_->OnMouseMove(HeldButtons(wparam));
      return 0;
    case WM_MOUSELEAVE: shape_.OnCursorLeft(); return 0;
    case WM_CAPTURECHANGED: capture_.Unshare(); return 0;
    case WM_MOUSEACTIVATE:
      // The second button during a trace does not activate the frozen screen either; a click
      // on the cut-out does.
      return holds_cutout_ ? DefWindowProcW(hwnd(), message, wparam, lparam) : MA_NOACTIVATE;
    case WM_HOTKEY:
      if (wparam == EscapeKey::kHotKeyId) escape_.Heard();
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == hwnd() && HeldButtons(wparam) == 0) ReleaseCapture();
      if (cutout_) cutout_->OnMouseUp();
      return 0;
    case WM_LBUTTONDBLCLK:
      if (cutout_) cutout_->OnDoubleClick();
      return 0;
    case WM_KEYDOWN: {
      // A key the IME would have taken (were one associated) still counts as itself.
      const WPARAM key = wparam == VK_PROCESSKEY ? ImmGetVirtualKey(hwnd()) : wparam;
      if (const std::optional<Point> step = ArrowStep(key); step && cutout_) {
        cutout_->OnArrowKey(step->x, step->y, GetKeyState(VK_SHIFT) < 0);
        return 0;
      }
      if (cutout_ && cutout_->OnKey(ControlKey(key), GetKeyState(VK_CONTROL) < 0)) return 0;
      return DefWindowProcW(hwnd(), message, wparam, lparam);
    }
    case WM_MOUSEWHEEL:
      // The wheel's position is in screen pixels.
      if (cutout_) cutout_->OnWheel(GET_WHEEL_DELTA_WPARAM(wparam), client, GET_KEYSTATE_WPARAM(wparam) & MK_CONTROL);
      return 0;
    case WM_CLOSE:
      // Alt+F4 erases the cut-out; the window itself lives as long as the program.
      if (cutout_) cutout_->OnClose();
      return 0;
    case WM_GETDPISCALEDSIZE: return TRUE;  // the size stays: a cut-out shows its pixels one to one on any monitor
    case WM_DPICHANGED: return 0;           // the suggested size is ignored for the same reason
    case WM_DISPLAYCHANGE:
      // A trace finishes on the picture it has; a shown cut-out must stay reachable.
      try {
        if (holds_cutout_ && IsWindowVisible(hwnd())) MoveTo(Reachable(Position()));
      } catch (const ActionFailed&) {
        // Left where it is; a drag or the menu's erase still reaches it.
      }
      return 0;
    default: return DefWindowProcW(hwnd(), message, wparam, lparam);
  }
}

void CanvasWindow::Paint() {
  ScopedPaint paint(hwnd());
  const RECT& area = paint.paint().rcPaint;
  const DibSurface& shown = shape_.Shown();
  if (shown.dc() && shape_.scale() == Scale{}) {
    BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, shown.dc(), area.left,
           area.top, SRCCOPY);
  } else if (shown.dc()) {
    // The whole piece onto the whole window, so that partial repaints meet without seams.
    if (QualityFor(shape_.scale()) == StretchQuality::kCrisp) {
      SetStretchBltMode(paint.get(), COLORONCOLOR);
    } else {
      SetStretchBltMode(paint.get(), HALFTONE);
      SetBrushOrgEx(paint.get(), 0, 0, nullptr);
    }
    RECT client{};
    GetClientRect(hwnd(), &client);
    StretchBlt(paint.get(), 0, 0, client.right, client.bottom, shown.dc(), 0, 0, shown.width(), shown.height(),
               SRCCOPY);
  }
  marks_.Paint(paint.get());
  shape_.DrawEdge(paint.get());
}

}  // namespace petariko
