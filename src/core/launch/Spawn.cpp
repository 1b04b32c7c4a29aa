#include "launch/Spawn.h"

#include "ports/ProcessRunner.h"

namespace mirelka {

std::optional<std::string> ResolveProgram(const std::string& target, const std::string& folder,
                                          ProcessRunner& runner) {
    // UTF-8: no byte of a multibyte character is an ASCII separator.
    const std::size_t separator = target.find_last_of("\\/:");
    const std::string path = separator == std::string::npos ? ".\\" + target : target;
    const std::size_t nameStart = separator == std::string::npos ? 2 : separator + 1;
    const std::string_view name = std::string_view(path).substr(nameStart);
    if (name.find('.') != std::string_view::npos) {
        std::string full = runner.FullPath(path, folder);
        return full.empty() ? std::nullopt : std::optional<std::string>(std::move(full));
    }
    for (const char* extension : {".com", ".exe", ".bat", ".cmd"}) {
        std::string candidate = runner.FullPath(path + extension, folder);
        if (!candidate.empty() && runner.FileExists(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::string CommandLineFor(const std::string& target, const std::string& arguments) {
    // A Windows path can't hold '"', so no escaping is needed inside the quotes.
    std::string line = "\"" + target + "\"";
    if (!arguments.empty()) {
        line += ' ';
        line += arguments;
    }
    return line;
}

}  // namespace mirelka
