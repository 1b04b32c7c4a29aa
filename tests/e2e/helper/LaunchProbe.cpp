// A program for Mirelka to launch in the end-to-end tests. It appends what it finds at its
// start to "<its own path>.log" (UTF-8, one "key=value" per line, a blank line after each
// run), sleeps a moment and exits with code 7:
//   cwd=<current directory>      cmdline=<the whole command line>
//   argc=<n>  argv0=... argv1=...  mode=<w>x<h>x<bits> <freq>Hz (the registry display mode)
// How long it sleeps, in ms, may be written to "<its own path>.sleep" (default 300).
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return {};
    }
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(length) - 1);
    return out;
}

}  // namespace

int wmain() {
    wchar_t self[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    wchar_t directory[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, directory);

    std::string record = "cwd=" + Utf8(directory) + "\n";
    record += "cmdline=" + Utf8(GetCommandLineW()) + "\n";
    int argc = 0;
    if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        record += "argc=" + std::to_string(argc) + "\n";
        for (int i = 0; i < argc; ++i) {
            record += "argv" + std::to_string(i) + "=" + Utf8(argv[i]) + "\n";
        }
        LocalFree(argv);
    }
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_REGISTRY_SETTINGS, &mode)) {
        record += "mode=" + std::to_string(mode.dmPelsWidth) + "x" +
                  std::to_string(mode.dmPelsHeight) + "x" + std::to_string(mode.dmBitsPerPel) +
                  " " + std::to_string(mode.dmDisplayFrequency) + "Hz\n";
    }
    record += "\n";

    const std::wstring log = std::wstring(self) + L".log";
    FILE* file = nullptr;
    if (_wfopen_s(&file, log.c_str(), L"ab") == 0) {
        std::fwrite(record.data(), 1, record.size(), file);
        std::fclose(file);
    }

    DWORD sleepMs = 300;
    const std::wstring sleepFile = std::wstring(self) + L".sleep";
    if (_wfopen_s(&file, sleepFile.c_str(), L"rb") == 0) {
        unsigned long value = 0;
        if (fscanf_s(file, "%lu", &value) == 1) {
            sleepMs = static_cast<DWORD>(value);
        }
        std::fclose(file);
    }
    Sleep(sleepMs);
    return 7;
}
