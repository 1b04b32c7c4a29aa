// ScreenMode.txt lines: ParseMode on any line against the field and atol models, and any
// four numbers through a save and a load.
//
// Input: [0 parse | 1 round trip, low bit] [code page] [lead range] [rest...]

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "display/ModeRules.h"
#include "fakes/FakeFileSystem.h"
#include "store/RecordFile.h"

namespace {

using mirelka::DisplayMode;
using mirelka::LeadBytes;
using mirelka::RecordFile;

void CheckParse(const LeadBytes& leads, const std::string& line) {
    const DisplayMode mode = mirelka::ParseMode(leads, line);

    const std::vector<std::string> fields = mirelka::fuzz::ModelFields(leads, line);
    auto number = [&](std::size_t i) {
        return i < fields.size() && !fields[i].empty()
                   ? static_cast<std::uint32_t>(mirelka::fuzz::ModelAtol(fields[i]))
                   : 0u;
    };
    FUZZ_CHECK(mode.width == number(0));
    FUZZ_CHECK(mode.height == number(1));
    FUZZ_CHECK(mode.bitsPerPixel == number(2));
    FUZZ_CHECK(mode.frequency == number(3));
    FUZZ_CHECK(mode.driverRecord.empty());
    // The usable-mode rule and the labels take any numbers.
    FUZZ_CHECK(mirelka::IsUsableMode(mode) == (mode.width >= 640 && mode.height >= 480 &&
                                               mode.bitsPerPixel >= 8 && mode.frequency >= 30));
    FUZZ_CHECK(mirelka::ModeListLabel(mode) == " " + mirelka::ModeLabel(mode));
}

void CheckRoundTrip(FuzzedDataProvider& input) {
    std::vector<DisplayMode> modes(input.ConsumeIntegralInRange<std::size_t>(1, 8));
    for (DisplayMode& mode : modes) {
        mode.width = input.ConsumeIntegral<std::uint32_t>();
        mode.height = input.ConsumeIntegral<std::uint32_t>();
        mode.bitsPerPixel = input.ConsumeIntegral<std::uint32_t>();
        mode.frequency = input.ConsumeIntegral<std::uint32_t>();
        mode.driverRecord.assign(input.ConsumeIntegralInRange<std::size_t>(0, 4), 0xAB);
    }

    const LeadBytes leads = LeadBytes::Cp932();
    mirelka::test::FakeFileSystem fs;
    RecordFile file(fs, leads);
    FUZZ_CHECK(file.SetBasePath("C:\\Mirelka\\ScreenMode.txt"));
    FUZZ_CHECK(file.Open(RecordFile::Mode::Write));
    for (const DisplayMode& mode : modes) {
        file.Line() = mirelka::FormatMode(mode);
        FUZZ_CHECK(file.WriteLine());
    }
    FUZZ_CHECK(file.Close());

    FUZZ_CHECK(file.Open(RecordFile::Mode::Read));
    for (const DisplayMode& mode : modes) {
        FUZZ_CHECK(file.ReadLine());
        const DisplayMode back = mirelka::ParseMode(leads, file.Line());
        FUZZ_CHECK(back.SameModeAs(mode));
        FUZZ_CHECK(back.width == mode.width && back.height == mode.height &&
                   back.bitsPerPixel == mode.bitsPerPixel && back.frequency == mode.frequency);
    }
    FUZZ_CHECK(!file.ReadLine());
    FUZZ_CHECK(file.Close());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    if ((data[0] & 1) == 0) {
        const LeadBytes leads = mirelka::fuzz::LeadsFrom(data[1], data[2], data[3]);
        CheckParse(leads, std::string(reinterpret_cast<const char*>(data + 4), size - 4));
    } else {
        FuzzedDataProvider input(data + 4, size - 4);
        CheckRoundTrip(input);
    }
    return 0;
}
