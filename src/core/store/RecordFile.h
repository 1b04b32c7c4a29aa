#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/FileSystem.h"
#include "text/LeadBytes.h"

namespace mirelka {

// What became of reading or rewriting a data file. Nothing in the store shows a message:
// the window that asked says it.
enum class FileStatus {
    Done,
    CannotOpen,   // no file to read, or the data file could not be created or replaced
    ReadFailed,   // the file is there but could not be read whole: held, refused, or part-way
    WriteFailed,  // writing, flushing or closing failed (disk full and the like)
};

// The first field of rest into out, rest keeping what follows its TAB; false (out empty) once
// rest is empty. A TAB inside a double-byte character is not one.
bool NextField(const LeadBytes& leads, std::string_view& rest, std::string& out);
// The fields with one TAB between each two, empty ones included.
std::string JoinFields(std::initializer_list<std::string> fields);

// A text file of TAB-separated records beside the executable, read and written in the
// Windows text-file convention by our own code, so the bytes are the same everywhere.
//
// A rewrite goes to a temporary file in the same folder, under a name nothing held before,
// which replaces the data file only once it was written whole: a failure part-way leaves
// the data file as it was, and no temporary file.
class RecordFile {
public:
    enum class Mode { Write = 1, Read = 2 };
    enum class Error {
        None,
        Missing,     // no file to read
        Unreadable,  // the file is there but could not be opened (held, refused)
        Read,        // reading failed part-way
        Write,       // writing, flushing or closing failed (disk full and the like)
        Replace,     // the data file could not be replaced by the new content
    };

    RecordFile(FileSystem& fs, const LeadBytes& leads) : fs_(fs), leads_(leads) {}
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Paths are UTF-8, handed to the file system as they are; the lines are data text.
    bool SetBasePath(const char* text);
    bool SetFileName(const char* name);
    const std::string& Path() const { return path_; }

    // Reading: LastError says Missing or Unreadable when it fails.
    bool Open(Mode mode);
    // Ends reading, or commits what was written. False when the commit failed.
    bool Close();
    // Drops a rewrite under way; the data file stays as it was.
    void Abandon();
    bool IsOpen() const { return reader_ != nullptr || writer_ != nullptr; }
    Error LastError() const { return error_; }

    // Every line of the file, or nothing: lines is replaced only once the file was read to
    // its end. CannotOpen: there is no file, lines is emptied. ReadFailed: it is there but
    // could not be read whole; lines stays as it was. Patient: tried again for about a second
    // while it fails, as a file is held for a moment by antivirus, indexers and sync tools.
    FileStatus ReadAll(std::vector<std::string>& lines, bool patient = false);

    // Whether the file is there with another size or last-write time than when this last
    // read it whole or wrote it: another program changed it. False while it is gone.
    bool ChangedOnDisk() const;

    // False at the end of the file and when reading failed (see LastError).
    bool ReadLine();
    // False when writing failed; nothing is written after that.
    bool WriteLine();

    bool NextField(std::string& out);
    void AppendField(const std::string& text);
    // Starts a new record: the next AppendField is its first field.
    void ClearLine();

    std::string& Line() { return line_; }
    const std::string& Line() const { return line_; }

    // The first name a rewrite tries for its temporary file.
    static std::string TempPathFor(const std::string& path) { return path + ".tmp"; }

private:
    FileStatus ReadOnce(std::vector<std::string>& lines);
    // A temporary name beside the data file that no file or folder holds; empty when none.
    std::string FreeTempPath() const;
    bool FillBuffer();
    int NextByte();  // -1 at the end of the file

    FileSystem& fs_;
    const LeadBytes& leads_;
    std::string path_;
    std::string line_;
    bool lineHasField_ = false;
    Error error_ = Error::None;

    std::unique_ptr<ReadStream> reader_;
    std::vector<char> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
    bool endOfFile_ = false;

    std::unique_ptr<WriteStream> writer_;
    std::string tempPath_;
    bool writeFailed_ = false;

    std::optional<FileStamp> stamp_;  // as last read whole or written; none: there was none
};

// Antivirus, indexers and sync tools hold a file for a moment, and a data file that was not
// read must never be taken for an empty one: attempt is tried again for about a second
// while it fails. True once it succeeded.
template <typename Attempt>
bool RetryForAMoment(FileSystem& fs, Attempt attempt) {
    constexpr unsigned kPause = 100;
    constexpr unsigned kPatience = 1000;
    for (unsigned waited = 0;; waited += kPause) {
        if (attempt()) {
            return true;
        }
        if (waited >= kPatience) {
            return false;
        }
        fs.Pause(kPause);
    }
}

// Rewrites file with what writeRecords writes (false when a write failed); a failure
// part-way leaves the data file as it was.
template <typename WriteRecords>
FileStatus RewriteRecords(RecordFile& file, WriteRecords writeRecords) {
    if (!file.Open(RecordFile::Mode::Write)) {
        return FileStatus::CannotOpen;
    }
    if (writeRecords() && file.Close()) {
        return FileStatus::Done;
    }
    file.Abandon();
    return file.LastError() == RecordFile::Error::Replace ? FileStatus::CannotOpen
                                                          : FileStatus::WriteFailed;
}

}  // namespace mirelka
