#pragma once

#include <memory>

#include "ports/CodePage.h"

namespace mirelka::test {

// Code page 932 for tests: glibc's iconv natively, the system itself on Windows.
std::unique_ptr<CodePage> MakeCp932();

}  // namespace mirelka::test
