#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/FileDialog.h"

namespace mirelka::test {

// The user's answer to the next file dialog is set by the test; requests are recorded.
class FakeFileDialog final : public FileDialog {
public:
    std::map<int, std::string> folders;  // CSIDL -> path
    std::optional<std::string> choice;   // none: the user cancels
    std::vector<Request> requests;
    std::function<void()> onChoose;  // the dialog's loop, running our messages meanwhile

    std::optional<std::string> SpecialFolder(int csidl) override {
        const auto it = folders.find(csidl);
        if (it == folders.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    std::optional<std::string> ChooseFile(const Request& request) override {
        requests.push_back(request);
        if (onChoose) {
            onChoose();
        }
        return choice;
    }
};

}  // namespace mirelka::test
