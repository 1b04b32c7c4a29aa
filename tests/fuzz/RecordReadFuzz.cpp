// Any bytes as a record file: RecordFile's lines and fields against a plain model of the
// text-file rules, in any read chunk size and with a read error at any point.
//
// Input: [code page] [lead range first] [lead range last] [chunk] [fail: 0 none, else
// after byte (fail-1) * 7] [file bytes...]

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "fakes/FakeFileSystem.h"
#include "store/RecordFile.h"

namespace {

using mirelka::RecordFile;
using mirelka::fuzz::ModelFields;

const char kDataPath[] = "C:\\Mirelka\\AppData.txt";

// The lines a reader gets: Ctrl-Z ends the file, LF ends a line and takes one CR before it
// along, a NUL is dropped. A read error loses the line it cuts.
struct ModelRead {
    std::vector<std::string> lines;
    bool error = false;
};

ModelRead ModelLines(std::string content, std::size_t readable, bool fails) {
    ModelRead model;
    if (fails && readable <= content.size()) {
        content.resize(readable);
        model.error = true;
    }
    const std::size_t ctrlZ = content.find('\x1A');
    if (ctrlZ != std::string::npos) {
        content.resize(ctrlZ);
        model.error = false;  // nothing is read after Ctrl-Z, so nothing fails
    }
    std::size_t pos = 0;
    while (pos < content.size()) {
        const std::size_t lf = content.find('\n', pos);
        std::string line;
        if (lf == std::string::npos) {
            if (model.error) {
                break;
            }
            line = content.substr(pos);
            pos = content.size();
        } else {
            line = content.substr(pos, lf - pos);
            pos = lf + 1;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
        }
        line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
        model.lines.push_back(line);
    }
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const mirelka::LeadBytes leads = mirelka::fuzz::LeadsFrom(data[0], data[1], data[2]);
    // Small chunks put CR LF and CR CR across reads; 0 stands for RecordFile's own 64 KiB.
    const std::size_t chunk = data[3] == 0 ? std::size_t{1} << 20 : data[3];
    const bool fails = data[4] != 0;
    const std::size_t readable = fails ? (data[4] - 1u) * 7u : 0;
    const std::string content(reinterpret_cast<const char*>(data + 5), size - 5);

    mirelka::test::FakeFileSystem fs;
    fs.files[kDataPath] = content;
    fs.readChunk = chunk;
    if (fails) {
        fs.readFailsAfter = readable;
    }
    const ModelRead model = ModelLines(content, readable, fails);

    RecordFile file(fs, leads);
    FUZZ_CHECK(file.SetBasePath("C:\\Mirelka\\Mirelka.exe"));
    FUZZ_CHECK(file.SetFileName("AppData.txt"));
    FUZZ_CHECK(file.Path() == kDataPath);
    FUZZ_CHECK(file.Open(RecordFile::Mode::Read));

    std::size_t n = 0;
    std::string field = "not yet";
    while (file.ReadLine()) {
        FUZZ_CHECK(n < model.lines.size());
        FUZZ_CHECK(file.Line() == model.lines[n]);
        const std::vector<std::string> expected = ModelFields(leads, file.Line());
        std::size_t f = 0;
        while (file.NextField(field)) {
            FUZZ_CHECK(f < expected.size());
            FUZZ_CHECK(field == expected[f]);
            ++f;
        }
        FUZZ_CHECK(f == expected.size());
        FUZZ_CHECK(field.empty());
        FUZZ_CHECK(file.Line().empty());
        ++n;
    }
    FUZZ_CHECK(n == model.lines.size());
    FUZZ_CHECK(file.Line().empty());
    FUZZ_CHECK(!file.ReadLine());
    const auto expectedError = model.error ? RecordFile::Error::Read : RecordFile::Error::None;
    FUZZ_CHECK(file.LastError() == expectedError);
    FUZZ_CHECK(file.Close() == !model.error);
    FUZZ_CHECK(!file.IsOpen());
    // Reading changes nothing on the disk.
    FUZZ_CHECK(fs.files.size() == 1 && fs.files[kDataPath] == content);
    FUZZ_CHECK(fs.ReadersOf(kDataPath) == 0);
    return 0;
}
