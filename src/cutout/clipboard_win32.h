// Copying a cut-out to the clipboard in the forms other programs paste: "PNG" with alpha,
// CF_DIBV5 with the same alpha, a plain CF_DIB and CF_BITMAP. The PNG comes from the system's Windows
// Imaging Component, so the program carries no image library.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/point.h"
#include "cutout/cutout.h"
#include "win32/handles_win32.h"

namespace petariko {

// Puts `piece` of `source` (the outline's bounding rectangle in the source's pixels) on the
// clipboard one to one, opaque inside `outline_in_piece` (points relative to the piece's
// corner) and transparent outside; `owner` becomes the clipboard's owner. A clipboard that
// another program holds is asked again for a moment. False when it stayed busy or anything
// failed: the clipboard then holds what it held before, or nothing when the failure came after
// it was emptied, never a part of the copy. Needs COM on the calling thread.
// With `plain_kept`, CF_BITMAP is offered too, to be made on request from the plain bitmap kept
// there (empty when it could not be kept: the system then makes its own).
bool CopyCutoutToClipboard(HWND owner, FrozenImage& source, const SaveRect& piece,
                           std::span<const Point> outline_in_piece, std::vector<std::uint8_t>* plain_kept = nullptr);

// The cut-out's copy on the clipboard, owned by `owner`, whose window passes the clipboard's
// requests on. CF_BITMAP is made here, from the plain bitmap, white outside the shape: the one
// the system would make may come from the CF_DIBV5, whose transparent outside is black to a
// reader that knows no alpha.
class Win32CutoutClipboard : public CutoutClipboard {
 public:
  explicit Win32CutoutClipboard(HWND owner) : owner_(owner) {}
  bool Copy(FrozenImage& source, const SaveRect& piece, std::span<const Point> outline_in_piece) override;

  // WM_RENDERFORMAT for CF_BITMAP: a reader asks while the clipboard is open for it.
  void RenderBitmap();
  // WM_RENDERALLFORMATS: the owner goes, the copy stays.
  void RenderBeforeLeaving();
  // WM_DESTROYCLIPBOARD: the copy is no longer on the clipboard.
  void Forget();

 private:
  HWND owner_;
  std::vector<std::uint8_t> plain_;  // the CF_DIB on the clipboard, while it is there
};

// The PNG file of `height` rows of `width` blue-green-red-alpha pixels (straight alpha), row y
// handed out by `row`, in a movable memory block of exactly its size. Empty on failure. Needs
// COM on the calling thread.
UniqueGlobal EncodePng(int width, int height, const std::function<const std::uint8_t*(int y)>& row);

}  // namespace petariko
