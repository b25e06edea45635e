#include "win32/dialog_frame_win32.h"

#include "win32/window_proc_win32.h"

namespace petariko::dialog {
namespace {

LRESULT HandleFrame(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* look = reinterpret_cast<FrameLook*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      ScopedPaint paint(hwnd);
      if (!look) return 0;
      HDC dc = paint.get();
      RECT client{};
      GetClientRect(hwnd, &client);
      UniqueBrush back(CreateSolidBrush(look->back));
      FillRect(dc, &client, back.get());
      const std::wstring caption = WindowText(hwnd);
      ScopedSelect font(dc, look->caption_font ? look->caption_font : GetStockObject(DEFAULT_GUI_FONT));
      SIZE text{};
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
      if (look->border) {
        RECT edge = client;
        edge.top = caption.empty() ? 0 : text.cy / 2;
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
      }
      if (!caption.empty()) {
        const int x = Twips(120, DpiOf(hwnd));
        RECT behind{x - 2, 0, x + text.cx + 2, text.cy};
        FillRect(dc, &behind, back.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, look->caption_colour);
        TextOutW(dc, x, 0, caption.c_str(), static_cast<int>(caption.size()));
      }
      UniqueBrush outline(CreateSolidBrush(kBlack));
      for (const RECT& r : look->outlines) FrameRect(dc, &r, outline.get());
      return 0;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_HSCROLL:
    case WM_VSCROLL:
      // The form, not the frame, owns the behaviour of the controls inside the frame.
      return SendMessageW(GetParent(hwnd), message, wparam, lparam);
    default: break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return Guarded([&] { return HandleFrame(hwnd, message, wparam, lparam); });
}

}  // namespace

HWND CreateFrame(HWND parent, const wchar_t* caption, int id, FrameLook* look) {
  RegisterWindowClassOnce(InstanceOf(parent), kFrameClass, FrameProc);
  return CheckCall("CreateWindowExW(frame)", [&] {
    return CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, caption,
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), InstanceOf(parent), look);
  });
}

}  // namespace petariko::dialog
