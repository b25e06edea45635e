#include "core/trace.h"

#include "core/action_failed.h"
#include "core/ui_strings.h"

namespace petariko {

Rgb ColourSequence::Next() {
  Rgb colour;
  // Drawn in the order r, g, b so the sequence is reproducible component by component.
  colour.r = NextComponent();
  colour.g = NextComponent();
  colour.b = NextComponent();
  return colour;
}

void Trace::Start(TraceMode mode, Point cursor) {
  blnTracing_ = true;
  // Slots left over would count in a later save's bounding rectangle.
  outline_.Clear();
  outline_.ptOutline[0] = cursor;

  try {
    window_.CoverScreen();
    window_.Freeze();
    window_.DrawStartMarker(mode, cursor);
    window_.Show();
  } catch (const ActionFailed&) {
    // No picture of the desktop (a huge desktop, no memory): this hold freezes nothing.
    Abandon();
  }
}

StepOutcome Trace::Step(TraceMode mode, Point cursor) {
  const Point last = outline_.ptOutline[outline_.intLastPoint];
  if (cursor == last) return StepOutcome::kContinued;

  const Rgb colour = colours_.Next();
  ++outline_.intLastPoint;
  outline_.ptOutline[outline_.intLastPoint] = cursor;
  try {
    window_.DrawLine(last, cursor, colour);
    if (mode == TraceMode::kGesture) gesture_.OnPointStored(last, cursor);
  } catch (const ActionFailed&) {
    // The point still counts; only what it draws is not shown.
  }

  if (outline_.intLastPoint >= OutlineStore::kLimit) {
    gesture_.Reset();
    Abandon();
    // The message itself comes from ReportTooLong, after the watcher has noted that it must
    // wait for a release; ticks keep running while the box is up.
    return StepOutcome::kTooLong;
  }
  return StepOutcome::kContinued;
}

void Trace::ReportTooLong() { messages_.Show(ui::kTraceTooLong, ui::kTitleError); }

bool EnclosesNothing(std::span<const Point> outline) {
  if (outline.size() < 3) return false;
  const Point a = outline[0];
  for (const Point& b : outline) {
    if (b == a) continue;
    // 64-bit: screen coordinates of large desktops overflow 32-bit products.
    for (const Point& c : outline) {
      const long long cross =
          static_cast<long long>(b.x - a.x) * (c.y - a.y) - static_cast<long long>(b.y - a.y) * (c.x - a.x);
      if (cross != 0) return false;
    }
    return true;
  }
  return true;  // every point is the first one
}

void Trace::Abandon() {
  window_.Hide();
  outline_.Clear();
  blnTracing_ = false;
}

void Trace::FinishCutout() {
  blnTracing_ = false;
  // Fewer than three points pin the whole frozen screen; more that enclose nothing pin nothing.
  if (EnclosesNothing(outline_.Points())) return Abandon();
  window_.WipeToFrozen();
  try {
    if (!window_.ClipToOutline(outline_.Points())) return Abandon();
  } catch (const ActionFailed&) {
    // The shape or the piece could not be had: the frozen screen goes, nothing is pinned.
    return Abandon();
  }
  shared_.blnCutShown = true;
  try {
    window_.MoveBy(kCutoutOffset, kCutoutOffset);
  } catch (const ActionFailed&) {
    // Pinned where it was drawn rather than not at all.
  }
}

void Trace::Cancel() {
  if (!blnTracing_) return;
  gesture_.Reset();
  Abandon();
}

void Trace::FinishGesture() {
  Abandon();
  gesture_.Finish();
}

}  // namespace petariko
