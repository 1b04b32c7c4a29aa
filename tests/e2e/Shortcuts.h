#pragma once

// Shortcut (.lnk) files made the way the shell makes a user's shortcuts: through the
// shell-link object.

#include <string>

namespace mirelka::e2e {

// Saves a shortcut at link to target with this working folder (none when empty). Reads it
// back and throws unless it holds exactly those two paths: a test about how Mirelka treats
// a target must not be testing what the shell made of it.
void MakeShortcut(const std::wstring& link, const std::wstring& target,
                  const std::wstring& workingFolder);

}  // namespace mirelka::e2e
