#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ports/ProcessRunner.h"

namespace mirelka::test {

// Files and folders that exist, variables, and programs that run, in memory. A run is
// recorded with the folder it started in; onRun lets a test look at the world while the
// program "runs". Every folder exists but the missing ones.
class FakeProcessRunner final : public ProcessRunner {
public:
    struct Run {
        std::string program;
        std::string commandLine;  // the parameters alone for an elevated start
        std::string directory;
        bool elevated = false;
        WindowShow show = WindowShow::Normal;
    };
    std::set<std::string> existing;
    std::set<std::string> missingFolders;
    std::map<std::string, std::string> environment;
    std::set<std::string> needElevation;  // creating these fails with ERROR_ELEVATION_REQUIRED
    bool declineElevation = false;        // the user answers the prompt with No
    // What creation refuses as no program, and the shell opens: documents (193), folders (5).
    std::set<std::string> documents;
    std::set<std::string> folders;
    std::vector<Run> opened;  // an item-ID list as "idlist:<bytes>"
    std::string currentDirectory = "C:\\Start";
    std::vector<Run> runs;
    std::function<void()> onRun;

    std::string CurrentDirectory() override { return currentDirectory; }
    std::string ExpandEnvironment(const std::string& text) override {
        std::string out = text;
        for (const auto& [name, value] : environment) {
            for (std::size_t at; (at = out.find('%' + name + '%')) != std::string::npos;) {
                out.replace(at, name.size() + 2, value);
            }
        }
        return out;
    }
    // Drive-qualified paths stay as they are; the rest hang below folder.
    std::string FullPath(const std::string& path, const std::string& folder) override {
        if (path.size() >= 2 && path[1] == ':') {
            return path;
        }
        return folder + "\\" + (path.rfind(".\\", 0) == 0 ? path.substr(2) : path);
    }
    // A file is no folder; a name with a '%' is one only when listed in folders.
    bool FolderExists(const std::string& path) override {
        return folders.count(path) != 0 ||
               (missingFolders.count(path) == 0 && existing.count(path) == 0 &&
                path.find('%') == std::string::npos);
    }
    bool FileExists(const std::string& path) override { return existing.count(path) != 0; }
    Outcome RunAndWait(const std::string& program, const std::string& commandLine,
                       const std::string& folder, WindowShow show) override {
        if (documents.count(program) != 0 || folders.count(program) != 0) {
            return Outcome::NotAProgram;
        }
        if (!FileExists(program)) {
            return Outcome::NotStarted;
        }
        return needElevation.count(program) != 0
                   ? Outcome::NeedsElevation
                   : (Ran({program, commandLine, folder, false, show}), Outcome::Ended);
    }
    bool RunElevatedAndWait(const std::string& program, const std::string& parameters,
                            const std::string& folder, WindowShow show) override {
        return FileExists(program) && !declineElevation &&
               Ran({program, parameters, folder, true, show});
    }
    void OpenAndWait(const std::string& path, const std::string& folder, WindowShow show) override {
        opened.push_back({path, "", folder, false, show});
    }
    void OpenItemAndWait(const std::vector<unsigned char>& idList, const std::string& folder,
                         WindowShow show) override {
        OpenAndWait("idlist:" + std::string(idList.begin(), idList.end()), folder, show);
    }

private:
    bool Ran(Run run) {
        runs.push_back(std::move(run));
        if (onRun) {
            onRun();
        }
        return true;
    }
};

}  // namespace mirelka::test
