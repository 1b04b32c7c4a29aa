// A launch probe that loads ProbeLib.dll by its plain name, as programs do, and appends to
// "<its own path>.log" (UTF-8, "key=value" lines, a blank line after each run):
//   cwd=<current directory>  loaded=1|0  error=<GetLastError when not loaded>
//   from=<the loaded DLL's path>  answer=<what its function returned>
#include <windows.h>

#include <cstdio>
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

    HMODULE library = LoadLibraryW(L"ProbeLib.dll");
    if (library == nullptr) {
        record += "loaded=0\nerror=" + std::to_string(GetLastError()) + "\n";
    } else {
        record += "loaded=1\n";
        wchar_t from[MAX_PATH * 2] = {};
        GetModuleFileNameW(library, from, MAX_PATH * 2);
        record += "from=" + Utf8(from) + "\n";
        using Answer = int (*)();
        const auto answer = reinterpret_cast<Answer>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "ProbeLibAnswer")));
        if (answer != nullptr) {
            record += "answer=" + std::to_string(answer()) + "\n";
        }
        FreeLibrary(library);
    }
    record += "\n";

    const std::wstring log = std::wstring(self) + L".log";
    FILE* file = nullptr;
    if (_wfopen_s(&file, log.c_str(), L"ab") == 0) {
        std::fwrite(record.data(), 1, record.size(), file);
        std::fclose(file);
    }
    return 7;
}
