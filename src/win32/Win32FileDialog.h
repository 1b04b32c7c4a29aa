#pragma once

#include <windows.h>

#include "ports/FileDialog.h"

namespace mirelka {

class Win32FileDialog final : public FileDialog {
public:
    void Attach(HWND owner) { owner_ = owner; }
    std::optional<std::string> SpecialFolder(int csidl) override;
    std::optional<std::string> ChooseFile(const Request& request) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace mirelka
