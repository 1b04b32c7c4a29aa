#include "launch/Shortcut.h"

#include "ports/ShortcutReader.h"

namespace mirelka {

bool ShortcutProgram(ShortcutReader& reader, const std::string& path, std::string& out) {
    if (!reader.LinkFlags().advertised) {
        if (!reader.Target(out)) {
            return false;
        }
        if (auto item = out.empty() ? reader.TargetItem() : std::nullopt) {
            out = std::move(item->displayName);  // shown, never started by name
        }
        return true;
    }
    out.clear();
    if (auto program = reader.InstalledProgram(path)) {
        out = std::move(*program);
        return true;
    }
    return false;
}

}  // namespace mirelka
