#include "fakes/TestCodePage.h"

#ifdef _WIN32
#include "Win32CodePage.h"
#else
#include <iconv.h>

#include <cerrno>
#include <optional>
#include <stdexcept>
#endif

namespace mirelka::test {

#ifdef _WIN32

std::unique_ptr<CodePage> MakeCp932() {
    return std::make_unique<Win32CodePage>(932u);
}

std::unique_ptr<CodePage> MakeUtf8() {
    return std::make_unique<Win32CodePage>(65001u);
}

#else

namespace {

// Converts whole strings. A byte sequence the source encoding rejects becomes the
// replacement text and conversion goes on after it, as the Windows API does; without a
// replacement it makes the whole conversion fail.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in,
                                   std::optional<std::string_view> replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    std::string out;
    char buffer[256];
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    bool failed = false;
    while (srcLeft > 0 && !failed) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL (a lone lead byte at the end): skip one byte.
            failed = !replacement;
            if (replacement) {
                out.append(*replacement);
                ++src;
                --srcLeft;
            }
        }
    }
    iconv_close(cd);
    if (failed) {
        return std::nullopt;
    }
    return out;
}

class IconvCodePage final : public CodePage {
public:
    IconvCodePage(const char* name, LeadBytes leads) : name_(name), leads_(leads) {}

    const LeadBytes& Leads() const override { return leads_; }
    std::string ToUtf8(std::string_view ansi) const override {
        return *Convert("UTF-8", name_, ansi, "\xEF\xBF\xBD");
    }
    std::optional<std::string> ToUtf8Exact(std::string_view ansi) const override {
        return Convert("UTF-8", name_, ansi, std::nullopt);
    }
    std::optional<std::string> FromUtf8Exact(std::string_view utf8) const override {
        std::optional<std::string> ansi = Convert(name_, "UTF-8", utf8, std::nullopt);
        if (!ansi ||
            Convert("UTF-8", name_, *ansi, std::nullopt) != std::optional<std::string>(utf8)) {
            return std::nullopt;
        }
        return ansi;
    }

private:
    const char* name_;
    LeadBytes leads_;
};

}  // namespace

std::unique_ptr<CodePage> MakeCp932() {
    return std::make_unique<IconvCodePage>("CP932", LeadBytes::Cp932());
}

std::unique_ptr<CodePage> MakeUtf8() {
    return std::make_unique<IconvCodePage>("UTF-8", LeadBytes::None());
}

#endif

}  // namespace mirelka::test
