#pragma once

#include <string>
#include <vector>

#include "ports/WindowShow.h"

namespace mirelka {

// Starting programs, by UTF-8 paths. Nothing here changes our own current directory.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;

    // Our own current directory.
    virtual std::string CurrentDirectory() = 0;
    // Each %NAME% of a defined variable replaced by its value; the rest left as it is.
    virtual std::string ExpandEnvironment(const std::string& text) = 0;
    // path completed from folder as a current directory there would complete it (a bare
    // name, ".\x", "\x", "..", a drive-relative "D:x"); empty when it can't be.
    virtual std::string FullPath(const std::string& path, const std::string& folder) = 0;
    // A folder that is there and could be made a current directory.
    virtual bool FolderExists(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;

    // NotAProgram: creation refused a file that is no program (a document) or a folder.
    enum class Outcome { Ended, NotStarted, NeedsElevation, NotAProgram };
    // Starts program with commandLine in folder, with our handles and environment (its
    // drive's "=X:" entry set to folder first), and waits for it to end. Normal shows it as
    // it chooses; the others ask its first window to show so.
    virtual Outcome RunAndWait(const std::string& program, const std::string& commandLine,
                               const std::string& folder, WindowShow show) = 0;
    // Asks the shell to start program elevated with parameters in folder, and waits for it
    // to end; false when nothing started (the request declined, or no process to wait for).
    virtual bool RunElevatedAndWait(const std::string& program, const std::string& parameters,
                                    const std::string& folder, WindowShow show) = 0;
    // Has the shell open a document or folder with its default verb, as Explorer does, and
    // waits for the process it reports. None reported (handed to a program already running,
    // a Store app), declined or failed: back at once.
    virtual void OpenAndWait(const std::string& path, const std::string& folder,
                             WindowShow show) = 0;
    // The same for a shell item named by its item-ID list (ShortcutReader::Item).
    virtual void OpenItemAndWait(const std::vector<unsigned char>& idList,
                                 const std::string& folder, WindowShow show) = 0;
};

}  // namespace mirelka
