#pragma once

#include <memory>

#include "ports/CodePage.h"

namespace mirelka::test {

// Code page 932 for tests: glibc's iconv natively, the system itself on Windows.
std::unique_ptr<CodePage> MakeCp932();
// A system set to "use Unicode UTF-8 for worldwide language support": code page 65001.
std::unique_ptr<CodePage> MakeUtf8();

}  // namespace mirelka::test
