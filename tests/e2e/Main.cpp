// The end-to-end tests' entry point: GoogleTest plus the one option of our own,
// --mirelka=<path of the Mirelka.exe under test>.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "Harness.h"

namespace {

// CMake hands over a Linux path when the tests run under Wine; Wine maps it to a drive.
std::wstring WindowsPath(const std::wstring& given) {
    if (given.empty() || given.front() != L'/') {
        return given;
    }
    using ToDos = LPWSTR(CDECL*)(LPCSTR);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos == nullptr) {
        return given;
    }
    LPWSTR dos = toDos(mirelka::e2e::Utf8(given).c_str());
    if (dos == nullptr) {
        return given;
    }
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    constexpr std::wstring_view option = L"--mirelka=";
    constexpr std::wstring_view probeOption = L"--probe=";
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg = argv[i];
        if (arg.substr(0, option.size()) == option) {
            mirelka::e2e::SetMirelkaPath(WindowsPath(std::wstring(arg.substr(option.size()))));
        } else if (arg.substr(0, probeOption.size()) == probeOption) {
            mirelka::e2e::SetProbePath(WindowsPath(std::wstring(arg.substr(probeOption.size()))));
        } else {
            std::fprintf(stderr, "unknown option: %s\n", mirelka::e2e::Utf8(arg).c_str());
            return 2;
        }
    }
    const std::wstring& exe = mirelka::e2e::MirelkaPath();
    const DWORD attributes =
        exe.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(exe.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        std::fprintf(stderr,
                     "usage: mirelka_e2e_tests --mirelka=<path of Mirelka.exe> "
                     "[GoogleTest options]\nno such file: '%s'\n",
                     mirelka::e2e::Utf8(exe).c_str());
        return 2;
    }
    return RUN_ALL_TESTS();
}
