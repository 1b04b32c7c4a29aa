#include "MessageWait.h"

#include "Win32Tray.h"

namespace mirelka {

namespace {

void DropQueuedInput() {
    struct Range {
        UINT first;
        UINT last;
    };
    static constexpr Range kDropped[] = {
        {WM_KEYFIRST, WM_KEYLAST},
        {WM_MOUSEFIRST, WM_MOUSELAST},
        {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
        // Touch and pen (Windows 8 on: WM_POINTER*, 0x241-0x24F after WM_TOUCH), which the
        // default procedure turns into mouse input when they are handled.
        {WM_GESTURE, WM_GESTURE},
        {WM_TOUCH, 0x024F},
        {WM_COMMAND, WM_SYSCOMMAND},
        {kTrayCallbackMessage, kTrayCallbackMessage},
    };
    for (const Range& range : kDropped) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, range.first, range.last, PM_REMOVE | PM_NOYIELD)) {
            if (message.message == WM_QUIT) {
                // PeekMessage hands out WM_QUIT whatever the range: it is not ours to drop.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
        }
    }
}

}  // namespace

void WaitAnsweringSentMessages(HANDLE object) {
    // A window whose thread hasn't called PeekMessage for 5 s counts as not responding
    // (IsHungAppWindow): Task Manager says so, SMTO_ABORTIFHUNG senders give up on us.
    constexpr DWORD kPeekEveryMs = 1000;
    for (;;) {
        const DWORD woken =
            MsgWaitForMultipleObjects(1, &object, FALSE, kPeekEveryMs, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0 + 1 || woken == WAIT_TIMEOUT) {
            // MsgWaitForMultipleObjects dispatches nothing itself: this delivers every sent
            // message pending and leaves the posted ones queued.
            MSG message{};
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        if (woken == WAIT_FAILED) {
            // Never spin: wait as before, deaf but correct.
            WaitForSingleObject(object, INFINITE);
        }
        break;
    }
    DropQueuedInput();
}

}  // namespace mirelka
