// Records of any fields written through RecordFile: the exact bytes on the disk, the data
// file left as it was when any part of the save fails, and fields of any bytes but TAB, CR,
// LF, NUL and Ctrl-Z read back as they were written, valid code page text or not.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "fakes/FakeFileSystem.h"
#include "store/RecordFile.h"

namespace {

using mirelka::RecordFile;
using Record = std::vector<std::string>;

// The base path with its last component (after a '\\', '/' or ':') replaced: the path is
// UTF-8, so the code page's lead bytes have no say.
std::string ModelPath(const std::string& base, const std::string& name) {
    std::size_t keep = 0;
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (base[i] == '\\' || base[i] == '/' || base[i] == ':') {
            keep = i + 1;
        }
    }
    return base.substr(0, keep) + name;
}

std::string Joined(const Record& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += (i > 0 ? "\t" : "") + fields[i];
    }
    return line;
}

// Text mode: every LF goes out as CR LF, and so does the end of the line.
std::string OnDisk(const std::string& line) {
    std::string out;
    for (const char c : line) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    return out + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto choice = input.ConsumeIntegral<std::uint8_t>();
    const auto first = input.ConsumeIntegral<std::uint8_t>();
    const auto last = input.ConsumeIntegral<std::uint8_t>();
    const mirelka::LeadBytes leads = mirelka::fuzz::LeadsFrom(choice, first, last);

    // Faults of the save, each now and then.
    const auto faults = input.ConsumeIntegral<std::uint8_t>();
    const bool limited = (faults & 1) != 0;
    const std::size_t writeLimit = input.ConsumeIntegralInRange<std::size_t>(0, 300);
    const bool failClose = (faults & 6) == 6;
    const bool unreplaceable = (faults & 24) == 24;
    const bool uncreatable = (faults & 96) == 96;

    const std::string base = input.ConsumeRandomLengthString(40);
    const std::string old = "old\r\n";

    const auto count = input.ConsumeIntegralInRange<std::size_t>(0, 8);
    std::vector<Record> records;
    for (std::size_t r = 0; r < count; ++r) {
        Record fields(input.ConsumeIntegralInRange<std::size_t>(0, 8));
        for (std::string& field : fields) {
            field = input.ConsumeBool() ? mirelka::fuzz::CleanCp932(input, 12)
                                        : input.ConsumeRandomLengthString(24);
        }
        records.push_back(fields);
    }

    mirelka::test::FakeFileSystem fs;
    RecordFile file(fs, leads);
    FUZZ_CHECK(file.SetBasePath(base.c_str()));
    FUZZ_CHECK(file.SetFileName("AppData.txt"));
    // c_str(): the path ends at the first NUL, as a C string does.
    const std::string path = ModelPath(base.c_str(), "AppData.txt");
    FUZZ_CHECK(file.Path() == path);
    const std::string temp = RecordFile::TempPathFor(path);
    fs.files[path] = old;
    if (limited) {
        fs.writeLimit = writeLimit;
    }
    fs.failClose = failClose;
    if (unreplaceable) {
        fs.unreplaceable.insert(path);
    }
    if (uncreatable) {
        fs.uncreatable.insert(temp);
    }

    std::string expected;
    bool saved = file.Open(RecordFile::Mode::Write);
    FUZZ_CHECK(saved == !uncreatable);
    FUZZ_CHECK(fs.files[path] == old);
    for (const Record& fields : records) {
        if (!saved) {
            break;
        }
        file.ClearLine();
        for (const std::string& field : fields) {
            file.AppendField(field);
        }
        FUZZ_CHECK(file.Line() == Joined(fields));
        expected += OnDisk(file.Line());
        const bool fits = !limited || expected.size() <= writeLimit;
        saved = file.WriteLine();
        FUZZ_CHECK(saved == fits);
    }
    if (saved) {
        saved = file.Close();
        const bool fits = !limited || expected.size() <= writeLimit;
        FUZZ_CHECK(saved == (fits && !failClose && !unreplaceable));
    } else {
        file.Abandon();
    }
    FUZZ_CHECK(!file.IsOpen());
    // Whole and new, or untouched: never a cut-off file, and no temporary left behind.
    FUZZ_CHECK(fs.files[path] == (saved ? expected : old));
    FUZZ_CHECK(!fs.Exists(temp));
    FUZZ_CHECK(fs.files.size() == 1);
    if (!saved) {
        return 0;
    }

    bool clean = true;
    for (const Record& fields : records) {
        for (const std::string& field : fields) {
            clean = clean && mirelka::fuzz::IsCleanField(field);
        }
    }
    if (!clean) {
        return 0;
    }
    FUZZ_CHECK(file.Open(RecordFile::Mode::Read));
    std::string field;
    for (const Record& fields : records) {
        FUZZ_CHECK(file.ReadLine());
        // An empty last field leaves no trace: the line simply ends after its TAB.
        Record back;
        while (file.NextField(field)) {
            back.push_back(field);
        }
        Record written = fields;
        if (!written.empty() && written.back().empty()) {
            written.pop_back();
        }
        FUZZ_CHECK(back == written);
    }
    FUZZ_CHECK(!file.ReadLine());
    FUZZ_CHECK(file.Close());
    return 0;
}
