#include "store/RecordFile.h"

#include "text/MbString.h"

namespace mirelka {

namespace {
constexpr char kFieldSeparator = '\t';
constexpr char kCtrlZ = 0x1A;
// NOLINTNEXTLINE(bugprone-implicit-widening-of-multiplication-result): a constant, cannot wrap
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

bool NextField(const LeadBytes& leads, std::string_view& rest, std::string& out) {
    out.clear();
    if (rest.empty()) {
        return false;
    }
    const std::size_t tab = MbsFind(leads, rest, kFieldSeparator);
    if (tab == std::string_view::npos) {
        out.assign(rest);
        rest = {};
        return true;
    }
    out.assign(rest.substr(0, tab));
    rest.remove_prefix(tab + 1);
    return true;
}

std::string JoinFields(std::initializer_list<std::string> fields) {
    std::string line;
    bool first = true;
    for (const std::string& field : fields) {
        if (!first) {
            line.push_back(kFieldSeparator);
        }
        line += field;
        first = false;
    }
    return line;
}

RecordFile::~RecordFile() {
    // An unfinished rewrite never reaches the data file.
    Abandon();
    reader_.reset();
}

bool RecordFile::SetBasePath(const char* text) {
    // A rewrite cut short here must not replace the data file.
    Abandon();
    reader_.reset();
    if (text == nullptr) {
        return false;
    }
    path_ = text;
    return true;
}

bool RecordFile::SetFileName(const char* name) {
    if (name == nullptr) {
        return false;
    }
    if (!path_.empty()) {
        // The path is UTF-8, where no byte of a multibyte character is below 0x80: the data
        // text's lead bytes have no say here.
        const std::size_t sep = path_.find_last_of("\\/:");
        path_.erase(sep == std::string::npos ? 0 : sep + 1);
    }
    path_ += name;
    return !path_.empty();
}

bool RecordFile::Open(Mode mode) {
    if (IsOpen()) {
        Close();
    }
    error_ = Error::None;
    if (path_.empty()) {
        error_ = mode == Mode::Read ? Error::Missing : Error::None;
        return false;
    }
    if (mode == Mode::Read) {
        FileSystem::OpenFailure failure = FileSystem::OpenFailure::None;
        reader_ = fs_.OpenRead(path_, failure);
        if (!reader_) {
            error_ =
                failure == FileSystem::OpenFailure::Missing ? Error::Missing : Error::Unreadable;
            return false;
        }
        buffer_.resize(kBufferSize);
        bufferPos_ = bufferEnd_ = 0;
        endOfFile_ = false;
        return true;
    }
    tempPath_ = FreeTempPath();
    writer_ = tempPath_.empty() ? nullptr : fs_.OpenWrite(tempPath_);
    writeFailed_ = false;
    return writer_ != nullptr;
}

std::string RecordFile::FreeTempPath() const {
    // A folder, or a read-only or held file, of the first name would fail every save; a
    // file of ours left by a crash is not worth one either.
    constexpr int kNames = 100;
    for (int n = 0; n < kNames; ++n) {
        std::string candidate =
            n == 0 ? TempPathFor(path_) : path_ + "." + std::to_string(n) + ".tmp";
        if (!fs_.HasAttributes(candidate)) {
            return candidate;
        }
    }
    return {};
}

bool RecordFile::ChangedOnDisk() const {
    const std::optional<FileStamp> now = fs_.Stamp(path_);
    return now && now != stamp_;
}

bool RecordFile::Close() {
    if (reader_) {
        reader_.reset();
        return error_ == Error::None;
    }
    if (!writer_) {
        return true;
    }
    const std::string& temp = tempPath_;
    const bool closed = writer_->Close();
    writer_.reset();
    if (writeFailed_ || !closed) {
        fs_.Remove(temp);
        error_ = Error::Write;
        return false;
    }
    if (!RetryForAMoment(fs_, [&] { return fs_.Replace(temp, path_); })) {
        fs_.Remove(temp);
        error_ = Error::Replace;
        return false;
    }
    stamp_ = fs_.Stamp(path_);
    return true;
}

void RecordFile::Abandon() {
    if (writer_) {
        writer_->Close();
        writer_.reset();
        fs_.Remove(tempPath_);
    }
}

FileStatus RecordFile::ReadOnce(std::vector<std::string>& lines) {
    // Taken first: a change while the file is read shows as one next time.
    const std::optional<FileStamp> stamp = fs_.Stamp(path_);
    if (!Open(Mode::Read)) {
        if (error_ == Error::Missing) {
            lines.clear();
            stamp_.reset();
            return FileStatus::CannotOpen;
        }
        return FileStatus::ReadFailed;
    }
    std::vector<std::string> read;
    while (ReadLine()) {
        read.push_back(std::move(line_));
    }
    const bool failed = error_ != Error::None;
    Close();
    // Half a file must never stand for the whole, nor be saved as it.
    if (failed) {
        return FileStatus::ReadFailed;
    }
    lines.swap(read);
    stamp_ = stamp;
    return FileStatus::Done;
}

FileStatus RecordFile::ReadAll(std::vector<std::string>& lines, bool patient) {
    FileStatus status = ReadOnce(lines);
    if (patient && status == FileStatus::ReadFailed) {
        RetryForAMoment(fs_, [&] {
            status = ReadOnce(lines);
            return status != FileStatus::ReadFailed;
        });
    }
    return status;
}

bool RecordFile::FillBuffer() {
    if (endOfFile_) {
        return false;
    }
    std::size_t count = 0;
    switch (reader_->Read(buffer_.data(), buffer_.size(), count)) {
        case ReadStream::Status::Data:
            bufferPos_ = 0;
            bufferEnd_ = count;
            return count > 0;
        case ReadStream::Status::End:
            endOfFile_ = true;
            return false;
        case ReadStream::Status::Error:
            endOfFile_ = true;
            error_ = Error::Read;
            return false;
    }
    return false;
}

int RecordFile::NextByte() {
    if (bufferPos_ == bufferEnd_ && !FillBuffer()) {
        return -1;
    }
    const char c = buffer_[bufferPos_++];
    if (c == kCtrlZ) {
        // Ctrl-Z ends a text file: nothing after it is read, ever.
        endOfFile_ = true;
        bufferPos_ = bufferEnd_;
        return -1;
    }
    return static_cast<unsigned char>(c);
}

// One pass over the bytes, kept whole so that each byte's fate reads in one place.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
bool RecordFile::ReadLine() {
    line_.clear();
    lineHasField_ = false;
    if (!reader_ || error_ != Error::None) {
        return false;
    }
    bool any = false;
    for (;;) {
        int c = NextByte();
        if (c < 0) {
            break;
        }
        any = true;
        if (c == '\r') {
            const int next = NextByte();
            if (next == '\n') {
                break;
            }
            line_.push_back('\r');
            if (next < 0) {
                break;
            }
            c = next;
            if (c == '\r') {
                // Give the CR its own chance to start a CR LF.
                --bufferPos_;
                continue;
            }
        }
        if (c == '\n') {
            break;
        }
        // A NUL would end the line for any C-string reader of it: it goes, the rest stays.
        if (c != '\0') {
            line_.push_back(static_cast<char>(c));
        }
    }
    if (error_ != Error::None) {
        line_.clear();
        return false;
    }
    return any;
}

bool RecordFile::WriteLine() {
    if (!writer_ || writeFailed_) {
        return false;
    }
    std::string out;
    out.reserve(line_.size() + 2);
    for (const char c : line_) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    out += "\r\n";
    if (!writer_->Write(out)) {
        writeFailed_ = true;
        error_ = Error::Write;
        return false;
    }
    return true;
}

bool RecordFile::NextField(std::string& out) {
    std::string_view rest = line_;
    const bool found = mirelka::NextField(leads_, rest, out);
    line_.erase(0, line_.size() - rest.size());
    return found;
}

void RecordFile::AppendField(const std::string& text) {
    if (lineHasField_) {
        line_.push_back(kFieldSeparator);
    }
    line_ += text;
    lineHasField_ = true;
}

void RecordFile::ClearLine() {
    line_.clear();
    lineHasField_ = false;
}

}  // namespace mirelka
