#pragma once

#include <optional>
#include <string>

namespace mirelka {

class ProcessRunner;

// The program a target path starts, the way the C runtime's spawn finds it, as a full path
// from folder: a bare name is taken from folder (".\" before it; the search path is never
// asked); a file name without a '.' gets the first of .com, .exe, .bat and .cmd that
// exists. None when no such file exists. target is UTF-8.
std::optional<std::string> ResolveProgram(const std::string& target, const std::string& folder,
                                          ProcessRunner& runner);

// The command line a program is started with: the target itself, quoted, so that a path
// with blanks (or a .bat under a folder holding & or ^) parses back to exactly itself; then
// the shortcut's arguments, if any, after one blank, exactly as they are stored.
std::string CommandLineFor(const std::string& target, const std::string& arguments);

}  // namespace mirelka
