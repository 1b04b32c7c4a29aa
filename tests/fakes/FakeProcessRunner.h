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
    };
    std::set<std::string> existing;
    std::set<std::string> missingFolders;
    std::map<std::string, std::string> environment;
    std::set<std::string> needElevation;  // creating these fails with ERROR_ELEVATION_REQUIRED
    bool declineElevation = false;        // the user answers the prompt with No
    std::string currentDirectory = "C:\\Start";
    std::vector<Run> runs;
    std::function<void()> onRun;

    std::string CurrentDirectory() override { return currentDirectory; }
    std::string ExpandEnvironment(const std::string& text) override;
    // Drive-qualified and UNC paths stay as they are.
    std::string FullPath(const std::string& path, const std::string& folder) override;
    bool FolderExists(const std::string& path) override { return missingFolders.count(path) == 0; }
    bool FileExists(const std::string& path) override { return existing.count(path) != 0; }
    Outcome RunAndWait(const std::string& program, const std::string& commandLine,
                       const std::string& folder) override {
        if (!FileExists(program)) {
            return Outcome::NotStarted;
        }
        if (needElevation.count(program) != 0) {
            return Outcome::NeedsElevation;
        }
        Ran({program, commandLine, folder});
        return Outcome::Ended;
    }
    bool RunElevatedAndWait(const std::string& program, const std::string& parameters,
                            const std::string& folder) override {
        if (!FileExists(program) || declineElevation) {
            return false;
        }
        Ran({program, parameters, folder, true});
        return true;
    }

private:
    void Ran(Run run) {
        runs.push_back(std::move(run));
        if (onRun) {
            onRun();
        }
    }
};

}  // namespace mirelka::test
