#include "launch/Shortcut.h"

#include "ports/ShortcutReader.h"

namespace mirelka {

bool ShortcutProgram(ShortcutReader& reader, const std::string& path, std::string& out) {
    if (!reader.LinkFlags().advertised) {
        return reader.Target(out);
    }
    out.clear();
    if (auto program = reader.InstalledProgram(path)) {
        out = std::move(*program);
        return true;
    }
    return false;
}

}  // namespace mirelka
