#pragma once

#include <string>

namespace mirelka {

class ShortcutReader;

// The program the shortcut loaded from path starts: for an installer shortcut the one the
// installer names, as the link's own path is only a file of the installer's; for a link to
// no file or folder, the shell's name of what it opens. False when that can't be had. UTF-8.
bool ShortcutProgram(ShortcutReader& reader, const std::string& path, std::string& out);

}  // namespace mirelka
