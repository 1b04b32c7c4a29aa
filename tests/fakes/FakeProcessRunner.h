#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ports/ProcessRunner.h"

namespace mirelka::test {

// Files that exist and programs that run, in memory. A run is recorded with the current
// directory it started in; onRun lets a test look at the world while the program "runs".
class FakeProcessRunner final : public ProcessRunner {
public:
    struct Run {
        std::string program;
        std::string commandLine;
        std::string directory;
    };
    std::set<std::string> existing;
    std::set<std::string> badDirectories;  // ChangeDirectory fails
    std::string currentDirectory = "C:\\Start";
    std::vector<Run> runs;
    std::function<void()> onRun;

    bool ChangeDirectory(const std::string& path) override {
        if (badDirectories.count(path) != 0) {
            return false;
        }
        currentDirectory = path;
        return true;
    }
    bool FileExists(const std::string& path) override { return existing.count(path) != 0; }
    int RunAndWait(const std::string& program, const std::string& commandLine) override {
        if (!FileExists(program)) {
            return -1;
        }
        runs.push_back({program, commandLine, currentDirectory});
        if (onRun) {
            onRun();
        }
        return 0;
    }
};

}  // namespace mirelka::test
