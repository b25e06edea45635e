#include "core/trace.h"

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

  window_.CoverScreen();
  window_.Freeze();
  window_.DrawStartMarker(mode, {cursor.x - kMarkerHalf, cursor.y - kMarkerHalf});
  window_.Show();
}

StepOutcome Trace::Step(TraceMode mode, Point cursor) {
  const Point last = outline_.ptOutline[outline_.intLastPoint];
  if (cursor == last) return StepOutcome::kContinued;

  window_.DrawLine(last, cursor, colours_.Next());
  ++outline_.intLastPoint;
  outline_.ptOutline[outline_.intLastPoint] = cursor;

  if (mode == TraceMode::kGesture) gesture_.OnPointStored(last, cursor);

  if (outline_.intLastPoint >= OutlineStore::kLimit) {
    gesture_.Reset();
    window_.Hide();
    outline_.Clear();
    blnTracing_ = false;
    // The message itself comes from ReportTooLong, after the watcher has noted that it must
    // wait for a release; ticks keep running while the box is up.
    return StepOutcome::kTooLong;
  }
  return StepOutcome::kContinued;
}

void Trace::ReportTooLong() { messages_.Show(ui::kTraceTooLong, ui::kTitleError); }

void Trace::FinishCutout() {
  blnTracing_ = false;
  window_.WipeToFrozen();
  window_.ClipToOutline(outline_.Points());
  shared_.blnCutShown = true;
  window_.MoveBy(kCutoutOffset, kCutoutOffset);
}

void Trace::FinishGesture() {
  window_.Hide();
  outline_.Clear();
  blnTracing_ = false;
  gesture_.Finish();
}

}  // namespace petariko
