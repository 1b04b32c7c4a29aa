#include "launch/Spawn.h"

#include "ports/ProcessRunner.h"
#include "text/MbString.h"

namespace mirelka {

std::optional<std::string> ResolveProgram(const LeadBytes& leads, const std::string& target,
                                          ProcessRunner& runner) {
    const std::size_t separator = MbsFindLastOf(leads, target, "\\/:");
    const std::string path = separator == std::string::npos ? ".\\" + target : target;
    const std::size_t nameStart = separator == std::string::npos ? 2 : separator + 1;
    const std::string_view name = std::string_view(path).substr(nameStart);
    if (MbsFind(leads, name, '.') != std::string_view::npos) {
        return path;
    }
    for (const char* extension : {".com", ".exe", ".bat", ".cmd"}) {
        std::string candidate = path + extension;
        if (runner.FileExists(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::string CommandLineFor(const std::string& target) {
    // A Windows path can't hold '"', so no escaping is needed inside the quotes.
    return "\"" + target + "\"";
}

}  // namespace mirelka
