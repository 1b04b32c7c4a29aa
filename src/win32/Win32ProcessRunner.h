#pragma once

#include <windows.h>

#include "ports/ProcessRunner.h"

namespace mirelka {

class Win32ProcessRunner final : public ProcessRunner {
public:
    // The window the elevation prompt belongs to: without one it may only flash in the task bar.
    void Attach(HWND owner) { owner_ = owner; }

    std::string CurrentDirectory() override;
    std::string ExpandEnvironment(const std::string& text) override;
    std::string FullPath(const std::string& path, const std::string& folder) override;
    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    Outcome RunAndWait(const std::string& program, const std::string& commandLine,
                       const std::string& folder, WindowShow show) override;
    bool RunElevatedAndWait(const std::string& program, const std::string& parameters,
                            const std::string& folder, WindowShow show) override;
    void OpenAndWait(const std::string& path, const std::string& folder, WindowShow show) override;
    void OpenItemAndWait(const std::vector<unsigned char>& idList, const std::string& folder,
                         WindowShow show) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace mirelka
