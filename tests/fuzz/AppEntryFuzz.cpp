// AppData.txt lines: ParseAppEntry on any line against the field and atol models, and
// entries with any numbers and titles and paths of any bytes but the record breakers
// (under any lead bytes), or well-formed code page 932, through a save and a load into
// the registry, which keeps the first of equal titles in _mbscmp order.
//
// Input: [0 parse | 1 round trip, low bit] [code page] [lead range] [rest...]

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "fakes/FakeFileSystem.h"
#include "store/AppEntry.h"
#include "store/AppRegistry.h"
#include "store/RecordFile.h"
#include "text/MbString.h"

namespace {

using mirelka::AppEntry;
using mirelka::LeadBytes;
using mirelka::RecordFile;
using mirelka::fuzz::ModelAtol;

const char kPath[] = "C:\\Mirelka\\AppData.txt";

void CheckParse(const LeadBytes& leads, const std::string& line) {
    const AppEntry entry = mirelka::ParseAppEntry(leads, line);

    const std::vector<std::string> fields = mirelka::fuzz::ModelFields(leads, line);
    auto text = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    // A missing or empty number is 0, not atol's reading of nothing (also 0, but by rule).
    auto number = [&](std::size_t i) { return text(i).empty() ? 0 : ModelAtol(text(i)); };
    FUZZ_CHECK(entry.title == text(0));
    FUZZ_CHECK(entry.shortcut == text(1));
    FUZZ_CHECK(entry.width == number(2));
    FUZZ_CHECK(entry.height == number(3));
    FUZZ_CHECK(entry.bitsPerPixel == number(4));
    FUZZ_CHECK(entry.frequency == number(5));
    FUZZ_CHECK(entry.restoreOnExit == (number(6) != 0 ? 1 : 0));
}

// Loads entries the way LoadAppData does, then removes every other title.
void CheckRegistry(const LeadBytes& leads, const std::vector<AppEntry>& loaded) {
    mirelka::AppRegistry registry(leads);
    std::vector<const AppEntry*> model;  // first of each title, in order
    for (const AppEntry& entry : loaded) {
        const auto at = std::find_if(model.begin(), model.end(), [&](const AppEntry* e) {
            return mirelka::MbsCompare(leads, e->title, entry.title) >= 0;
        });
        const bool present = at != model.end() && (*at)->title == entry.title;
        FUZZ_CHECK(registry.Insert(entry) == !present);
        if (!present) {
            model.insert(at, &entry);
        }
    }
    FUZZ_CHECK(registry.Count() == static_cast<std::int32_t>(model.size()));
    for (std::size_t i = 0; i < model.size(); ++i) {
        const AppEntry& kept = registry.At(static_cast<std::int32_t>(i));
        FUZZ_CHECK(kept.title == model[i]->title && kept.shortcut == model[i]->shortcut);
        FUZZ_CHECK(registry.Find(*model[i]) == &kept);
    }
    for (std::size_t i = 0; i < model.size(); i += 2) {
        FUZZ_CHECK(registry.Remove(*model[i]));
        FUZZ_CHECK(registry.Find(*model[i]) == nullptr);
        FUZZ_CHECK(!registry.Remove(*model[i]));
    }
    FUZZ_CHECK(registry.Count() == static_cast<std::int32_t>(model.size() / 2));
    for (std::int32_t i = 0; i < registry.Count(); ++i) {
        FUZZ_CHECK(registry.At(i).title == model[static_cast<std::size_t>(2 * i + 1)]->title);
    }
}

void CheckRoundTrip(const LeadBytes& leads, bool valid, FuzzedDataProvider& input) {
    std::vector<AppEntry> entries(input.ConsumeIntegralInRange<std::size_t>(1, 6));
    // Now and then a title again, to be dropped on loading.
    const auto again = input.ConsumeIntegral<std::uint8_t>();
    for (AppEntry& entry : entries) {
        if (valid) {
            entry.title = mirelka::fuzz::CleanCp932(input, 16);
            entry.shortcut = mirelka::fuzz::CleanCp932(input, 40);
        } else {
            // Any byte that does not end a field or a line, stray lead bytes included.
            for (std::string* text : {&entry.title, &entry.shortcut}) {
                *text = input.ConsumeRandomLengthString(40);
                for (char& c : *text) {
                    if (mirelka::fuzz::IsRecordBreaker(static_cast<unsigned char>(c))) {
                        c = '_';
                    }
                }
            }
        }
        entry.width = input.ConsumeIntegral<std::int32_t>();
        entry.height = input.ConsumeIntegral<std::int32_t>();
        entry.bitsPerPixel = input.ConsumeIntegral<std::int32_t>();
        entry.frequency = input.ConsumeIntegral<std::int32_t>();
        entry.restoreOnExit = input.ConsumeIntegral<std::uint8_t>();
    }
    if (again < entries.size() && entries.size() > 1) {
        entries.back().title = entries[again].title;
    }

    mirelka::test::FakeFileSystem fs;
    RecordFile file(fs, leads);
    FUZZ_CHECK(file.SetBasePath(kPath));
    FUZZ_CHECK(file.Open(RecordFile::Mode::Write));
    for (const AppEntry& entry : entries) {
        file.Line() = mirelka::FormatAppEntry(entry);
        FUZZ_CHECK(file.WriteLine());
    }
    FUZZ_CHECK(file.Close());

    FUZZ_CHECK(file.Open(RecordFile::Mode::Read));
    std::vector<AppEntry> loaded;
    for (const AppEntry& entry : entries) {
        FUZZ_CHECK(file.ReadLine());
        const AppEntry& back = loaded.emplace_back(mirelka::ParseAppEntry(leads, file.Line()));
        FUZZ_CHECK(back.title == entry.title);
        FUZZ_CHECK(back.shortcut == entry.shortcut);
        FUZZ_CHECK(back.width == entry.width);
        FUZZ_CHECK(back.height == entry.height);
        FUZZ_CHECK(back.bitsPerPixel == entry.bitsPerPixel);
        FUZZ_CHECK(back.frequency == entry.frequency);
        FUZZ_CHECK(back.restoreOnExit == (entry.restoreOnExit != 0 ? 1 : 0));
    }
    FUZZ_CHECK(!file.ReadLine());
    FUZZ_CHECK(file.Close());
    CheckRegistry(leads, loaded);
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
        // Well-formed code page 932 text, or any bytes under any lead bytes.
        const bool valid = data[1] % 2 == 0;
        FuzzedDataProvider input(data + 4, size - 4);
        const LeadBytes leads =
            valid ? LeadBytes::Cp932() : mirelka::fuzz::LeadsFrom(data[2], data[3], data[1]);
        CheckRoundTrip(leads, valid, input);
    }
    return 0;
}
