#pragma once

#include "ports/ProcessRunner.h"

namespace mirelka {

class Win32ProcessRunner final : public ProcessRunner {
public:
    bool ChangeDirectory(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    int RunAndWait(const std::string& program, const std::string& commandLine) override;
};

}  // namespace mirelka
