#include "Win32ProcessRunner.h"

#include <windows.h>

#include <vector>

#include "MessageWait.h"
#include "UniqueHandle.h"

namespace mirelka {

bool Win32ProcessRunner::ChangeDirectory(const std::string& path) {
    if (path.find('\0') != std::string::npos || !SetCurrentDirectoryA(path.c_str())) {
        return false;
    }
    // Like the runtime's _chdir: remember the folder as its drive's current one ("=C:"),
    // which is where a later "C:relative" path and child processes look.
    char current[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH + 1, current);
    if (length >= 2 && length <= MAX_PATH && current[1] == ':') {
        const char drive[] = {'=', current[0], ':', '\0'};
        SetEnvironmentVariableA(drive, current);
    }
    return true;
}

bool Win32ProcessRunner::FileExists(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int Win32ProcessRunner::RunAndWait(const std::string& program, const std::string& commandLine) {
    if (program.find('\0') != std::string::npos || commandLine.find('\0') != std::string::npos) {
        return -1;
    }
    // CreateProcess may write into the command line.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &created)) {
        return -1;
    }
    const UniqueHandle process(created.hProcess);
    const UniqueHandle thread(created.hThread);
    WaitAnsweringSentMessages(process.get());
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) {
        return -1;
    }
    return static_cast<int>(exitCode);
}

}  // namespace mirelka
