#pragma once

#include <windows.h>

namespace mirelka {

// Waits without limit for object, never looking hung, while answering at once every message
// that other programs and the system send to this thread's windows (broadcasts, DDE
// initiation, the shell's icon callbacks): a program that sends to us never hangs on our
// wait. Nothing posted runs meanwhile. Once the wait is over, the input, commands and icon
// callbacks that queued during it are dropped, as meant for a launcher that could not act on
// them; the rest ("TaskbarCreated" above all, timers, paint) stays.
void WaitAnsweringSentMessages(HANDLE object);

}  // namespace mirelka
