#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "MessageWait.h"
#include "UniqueHandle.h"
#include "Win32Tray.h"

namespace mirelka::test {
namespace {

constexpr UINT kPing = WM_USER + 1;
int trayCallbacks = 0;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        return 42;
    }
    if (message == kTrayCallbackMessage) {
        ++trayCallbacks;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(MessageWait, AnswersWhatIsSentAndDropsQueuedInputButNotTaskbarCreated) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MirelkaMessageWaitTest";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // What a user and the shell leave while a launched program runs.
    PostMessageW(window, kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(window, WM_LBUTTONDOWN, 0, 0);
    PostMessageW(window, WM_COMMAND, 32901, 0);
    PostMessageW(window, taskbarCreated, 0, 0);

    const UniqueHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    DWORD_PTR answer = 0;
    LRESULT answered = 0;
    std::thread other([&] {
        answered = SendMessageTimeoutW(window, kPing, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        SendNotifyMessageW(window, kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
        SetEvent(ended.get());
    });
    WaitAnsweringSentMessages(ended.get());
    other.join();

    EXPECT_NE(answered, 0);
    EXPECT_EQ(answer, 42u);
    EXPECT_EQ(trayCallbacks, 1) << "the sent callback, not the posted one";
    std::vector<UINT> left;
    MSG message{};
    while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
        left.push_back(message.message);
    }
    EXPECT_EQ(left, std::vector<UINT>{taskbarCreated});
    DestroyWindow(window);
}

}  // namespace
}  // namespace mirelka::test
