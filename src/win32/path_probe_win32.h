// A path probe that may wait long, asked away from the user-interface thread. On an unreachable
// network share SearchPathW or GetFileAttributesW can each block for tens of seconds; asked on
// the user-interface thread, the program answers nothing meanwhile: no tray menu, no tick, no
// repaint, and Windows shows its forms as "応答なし".
#pragma once

#include <string>

namespace petariko {

// The program's end came while a probe waited: the action that asked gives up and does nothing
// more. Not an ActionFailed: there is nothing to tell the user.
class ProbeAbandoned {};

// Asks `probe` about `path` on a short-lived thread of its own, which gets everything it reads by
// value, and meanwhile runs this thread's messages as the main loop does. So whatever a message
// can start runs here, inside the caller: the caller keeps its own state safe from that.
// A WM_QUIT ends the waiting at once: it is posted again for the loop that owns the program's end,
// the thread is left to finish alone, and ProbeAbandoned is thrown. When no thread can be made the
// probe is asked here, as it always was. `kind` names the probe for the test build's orders.
bool ProbePathAnswering(const char* kind, bool (*probe)(const std::wstring& path), std::wstring path);

}  // namespace petariko
