// What Mirelka launches in the launch measurements: first thing, it appends the performance
// counter's value to "<its own path>.stamp" and ends. The counter is the machine's, so the
// measuring process can set it against its own readings. A GUI program, as the programs
// Mirelka serves are: no console is made for it, whoever starts it.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    wchar_t self[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    const std::wstring path = std::wstring(self) + L".stamp";
    char line[32];
    const int length = std::snprintf(line, sizeof line, "%lld\n", now.QuadPart);
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || length <= 0) {
        return 1;
    }
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    return 0;
}
