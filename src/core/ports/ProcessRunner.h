#pragma once

#include <string>

namespace mirelka {

// Starting programs, by ANSI paths.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;

    // Makes path the process's current directory, and that drive's remembered one.
    virtual bool ChangeDirectory(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Starts program with commandLine in the current directory, with our handles and
    // environment, and waits for it to end. Its exit code, or -1 when nothing started.
    virtual int RunAndWait(const std::string& program, const std::string& commandLine) = 0;
};

}  // namespace mirelka
