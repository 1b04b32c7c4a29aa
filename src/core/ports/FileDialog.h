#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mirelka {

// The system's open-file dialog, owned by the main dialog, and the shell's special folders.
// Paths and texts are UTF-8.
class FileDialog {
public:
    struct Filter {
        std::string description;
        std::string pattern;
    };
    struct Request {
        std::string title;
        std::vector<Filter> filters;
        std::string defaultExtension;  // without the dot
        std::string initialFolder;     // empty: the dialog chooses
    };

    virtual ~FileDialog() = default;

    // The folder a CSIDL number stands for, if the shell knows it.
    virtual std::optional<std::string> SpecialFolder(int csidl) = 0;
    // The existing file the user chose (a shortcut itself, never its target), or none.
    virtual std::optional<std::string> ChooseFile(const Request& request) = 0;
};

}  // namespace mirelka
