// The end-to-end tests' entry point: GoogleTest plus the one option of our own,
// --mirelka=<path of the Mirelka.exe under test>.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "Harness.h"

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    constexpr std::wstring_view option = L"--mirelka=";
    constexpr std::wstring_view probeOption = L"--probe=";
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg = argv[i];
        if (arg.substr(0, option.size()) == option) {
            mirelka::e2e::SetMirelkaPath(
                mirelka::e2e::WindowsPath(std::wstring(arg.substr(option.size()))));
        } else if (arg.substr(0, probeOption.size()) == probeOption) {
            mirelka::e2e::SetProbePath(
                mirelka::e2e::WindowsPath(std::wstring(arg.substr(probeOption.size()))));
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
