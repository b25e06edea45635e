// The cut-out window's behaviour: dragging, zooming, erasing, hiding it for a menu action and
// putting it back, the popup menu from the tray icon and from the window, saving the outline's
// bounding rectangle of the frozen screen as a BMP file and copying it to the clipboard.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/app_host.h"
#include "core/point.h"
#include "core/settings_store.h"
#include "core/trace.h"
#include "core/user_messages.h"
#include "cutout/bmp_writer.h"
#include "cutout/orientation.h"
#include "cutout/zoom.h"

namespace petariko {

// Mouse buttons as the cut-out window reports them; a move reports the set of held buttons.
inline constexpr int kMouseLeft = 1;
inline constexpr int kMouseRight = 2;
inline constexpr int kMouseMiddle = 4;

// The cut-out's opacity in percent: Ctrl+wheel steps it, never to invisible.
inline constexpr int kOpaque = 100;
inline constexpr int kLeastOpacity = 20;
inline constexpr int kOpacityStep = 10;

// Shift with an arrow key moves the cut-out by this many pixels instead of one.
inline constexpr int kArrowShiftStep = 10;

// Mouse messages the tray icon's callback carries.
inline constexpr int kTrayLeftButtonDown = 0x201;
inline constexpr int kTrayRightButtonDown = 0x204;

// The save dialog. Returns the chosen full path, or nothing when the user cancelled or the
// dialog could not be shown. `initial_name` is what the name box starts with.
class SavePathDialog {
 public:
  virtual ~SavePathDialog() = default;
  virtual std::optional<std::wstring> Ask(const std::wstring& initial_name) = 0;
};

// The saved rectangle: from (left, top) inclusive to (right, bottom) exclusive.
struct SaveRect {
  int left = 99999;
  int top = 99999;
  int right = -99999;
  int bottom = -99999;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const SaveRect&, const SaveRect&) = default;
};

// The clean frozen screen of the latest trace.
class FrozenImage {
 public:
  virtual ~FrozenImage() = default;
  // Where the picture the window shows lies, in screen pixels.
  virtual SaveRect Extent() = 0;
  // Fills `bgr` with `width` blue-green-red triplets of row y from column x on, in screen pixels;
  // pixels that the frozen picture does not hold are black.
  virtual void ReadRow(int x, int y, int width, std::uint8_t* bgr) = 0;
};

// What the cut-out logic needs from the cut-out window.
class CutoutWindow {
 public:
  virtual ~CutoutWindow() = default;
  virtual Point Position() = 0;  // top-left corner in screen pixels
  virtual void Hide() = 0;       // keeps the shape
  virtual void ShowAt(Point top_left) = 0;
  virtual void MoveTo(Point top_left) = 0;
  virtual void ResetShape() = 0;  // back to a plain rectangle covering the whole window, at 100 %
  virtual Point CursorPos() = 0;
  // The piece of the frozen screen the window shows, in picture pixels: its size at 100 %.
  virtual int PieceWidth() = 0;
  virtual int PieceHeight() = 0;
  // Shows the piece turned or mirrored as `orientation` says and at `scale`, its shape with it,
  // in the window placed at `placement`. On failure (ActionFailed) the window stays as it was.
  virtual void Reshape(Scale scale, Orientation orientation, const Placement& placement) = 0;
  // The virtual desktop's area in pixels, which bounds how far the wheel enlarges.
  virtual long long DesktopArea() = 0;
  // 100 is opaque; throws ActionFailed, the opacity kept, when the system refuses.
  virtual void SetOpacity(int percent) = 0;
  // The piece as the window shows it one to one, turned and mirrored: its extent starts at (0, 0).
  virtual FrozenImage& ShownPiece() = 0;
};

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Creates or replaces the file and hands `produce` a sink for its bytes. False when the file
  // cannot be made or `produce` returns false; a file of that name is then left as it was.
  virtual bool WriteFile(const std::wstring& path, const std::function<bool(ByteSink&)>& produce) = 0;
};

// The clipboard as the copy of a cut-out uses it.
class CutoutClipboard {
 public:
  virtual ~CutoutClipboard() = default;
  // Puts `piece` of `source` on the clipboard one to one, opaque inside `outline_in_piece`
  // (points relative to the piece's corner) and transparent outside. False when it could not.
  virtual bool Copy(FrozenImage& source, const SaveRect& piece, std::span<const Point> outline_in_piece) = 0;
};

// Least and greatest x and y over the outline's slots, skipping (0, 0) as an empty slot. The
// greatest column and row are not part of the picture.
SaveRect BoundingRect(const OutlineStore& outline);

class Cutout : public CutoutControl {
 public:
  Cutout(OutlineStore& outline, SharedState& shared, CutoutWindow& window, SavePathDialog& dialog, FrozenImage& frozen,
         FileWriter& writer, CutoutClipboard& clipboard, UserMessages& messages)
      : outline_(outline),
        shared_(shared),
        window_(window),
        dialog_(dialog),
        frozen_(frozen),
        writer_(writer),
        clipboard_(clipboard),
        messages_(messages) {}

  // Opens PMENU; set by the application.
  void SetMenuOpener(std::function<void()> open_menu) { open_menu_ = std::move(open_menu); }

  // Mouse on the cut-out window, client pixels.
  void OnMouseDown(int button, Point client);
  void OnMouseMove(int held_buttons);
  void OnMouseUp();
  void OnDoubleClick() { Erase(); }
  // The system's close command (Alt+F4) on the window: the erase, as a double-click; during a
  // trace (no cut-out yet) it does nothing.
  void OnClose() { Erase(); }
  // A key pressed on the cut-out window, as its upper-case character. With Ctrl: C copies, S
  // saves as the menu does, 0 shows the cut-out one to one and opaque again. Alone: 1 and 2
  // turn it a quarter left and right, 3 mirrors it left to right, 4 top to bottom. During a
  // trace nothing. False for a key the cut-out does not use, which the system then handles.
  bool OnKey(char key, bool control);
  // An arrow key on the cut-out window, (dx, dy) its one-pixel step: moves the cut-out by that
  // step, or by kArrowShiftStep of them with Shift. During a trace nothing.
  void OnArrowKey(int dx, int dy, bool shift);
  // The wheel on the cut-out window, in the system's units (positive: away from the user),
  // with the cursor at `cursor` in screen pixels: it zooms, or with Ctrl it makes the cut-out
  // more opaque (away) or more see-through (towards the user).
  void OnWheel(int delta, Point cursor, bool control);

  // The tray icon's callback with the mouse message it carries.
  void OnTrayNotify(int mouse_message);

  // CutoutControl
  void HideForLater() override;
  void PutBack() override;
  void SaveFromMenu() override;
  void EraseFromMenu() override;

  bool intDragging() const { return intDragging_; }
  const std::wstring& LastFileName() const { return last_file_name_; }

 private:
  void Erase();
  void Copy();
  CutoutZoom& CurrentZoom();
  void ChangeOpacity(int delta);
  void SetOpacity(int percent);
  // Turns or mirrors the cut-out about the centre of its window.
  void Orient(Orientation next);
  // Runs one zoom step made by `step` from the window's corner; a step the window cannot take
  // leaves the cut-out as it was.
  void ChangeZoom(const std::function<std::optional<Placement>(CutoutZoom&, Point top_left)>& step);
  void ApplyZoom(const std::optional<Placement>& placement);
  // Tells the user with the cut-out out of the way, so that the box is never hidden under it.
  void TellWhileHidden(const wchar_t* text, const wchar_t* title);
  void OpenMenu() {
    if (open_menu_) open_menu_();
  }
  // Writes the file; false on any failure.
  bool WriteBoundingRect(const std::wstring& path);
  void EndBusy();
  // Dragging belongs to a cut-out that is on the screen, never to the frozen screen of a trace
  // nor to a hidden cut-out.
  bool Shown() const { return shared_.blnCutShown && !hidden_for_later_; }
  void EndDrag();

  OutlineStore& outline_;
  SharedState& shared_;
  CutoutWindow& window_;
  SavePathDialog& dialog_;
  FrozenImage& frozen_;
  FileWriter& writer_;
  CutoutClipboard& clipboard_;
  UserMessages& messages_;
  std::function<void()> open_menu_;

  bool intDragging_ = false;
  // Set by HideForLater: only the cut-out hidden then is put back, at the place it had.
  bool hidden_for_later_ = false;
  int lngGrabX_ = 0;
  int lngGrabY_ = 0;
  // The shown cut-out's zoom, made at its first wheel turn or quarter turn; gone with the cut-out.
  std::optional<CutoutZoom> zoom_;
  Orientation orientation_;
  int opacity_ = kOpaque;
  int opacity_wheel_rest_ = 0;
  // The dialog offers the name chosen at the previous save of this run.
  std::wstring last_file_name_;
};

}  // namespace petariko
