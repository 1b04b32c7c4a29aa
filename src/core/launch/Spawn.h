#pragma once

#include <optional>
#include <string>

#include "text/LeadBytes.h"

namespace mirelka {

class ProcessRunner;

// The program a target path starts, the way the C runtime's spawn finds it: a bare name
// is taken from the current directory (".\" before it; the search path is never asked);
// a file name without a '.' gets the first of .com, .exe, .bat and .cmd that exists.
// None when no such file exists.
std::optional<std::string> ResolveProgram(const LeadBytes& leads, const std::string& target,
                                          ProcessRunner& runner);

// The command line a program is started with: the target itself, quoted, so that a path
// with blanks (or a .bat under a folder holding & or ^) parses back to exactly itself.
std::string CommandLineFor(const std::string& target);

}  // namespace mirelka
