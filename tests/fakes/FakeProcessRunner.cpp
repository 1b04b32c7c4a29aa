#include "fakes/FakeProcessRunner.h"

namespace mirelka::test {

std::string FakeProcessRunner::ExpandEnvironment(const std::string& text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        const std::size_t close =
            open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) {
            break;
        }
        const auto value = environment.find(text.substr(open + 1, close - open - 1));
        if (value == environment.end()) {
            out.append(text, at, close - at);  // the closing '%' may open the next name
            at = close;
            continue;
        }
        out.append(text, at, open - at);
        out += value->second;
        at = close + 1;
    }
    out.append(text, at, std::string::npos);
    return out;
}

std::string FakeProcessRunner::FullPath(const std::string& path, const std::string& folder) {
    if ((path.size() >= 2 && path[1] == ':') || path.rfind("\\\\", 0) == 0) {
        return path;
    }
    if (!path.empty() && path[0] == '\\') {
        return folder.substr(0, 2) + path;
    }
    return folder + "\\" + (path.rfind(".\\", 0) == 0 ? path.substr(2) : path);
}

}  // namespace mirelka::test
