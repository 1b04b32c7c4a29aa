#pragma once

#include <cstdint>

namespace mirelka {

// Whether the user asked for the window: until then it hides itself whenever it paints.
class Visibility {
public:
    void Request(bool shown) { flag_ = shown ? 1 : 0; }
    bool Requested() const { return flag_ != 0; }

private:
    std::uint8_t flag_ = 0;
};

}  // namespace mirelka
