#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "UniqueHandle.h"
#include "Win32CodePage.h"

namespace mirelka::test {

// A fresh folder under the user's temp folder for each test, removed afterwards, and raw
// file access that goes around the code under test. Paths are UTF-8.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        ASSERT_GT(length, 0u);
        ASSERT_LE(length, DWORD{MAX_PATH});
        for (unsigned n = 0; dir_.empty() && n < 1000; ++n) {
            const std::string candidate = Narrow(temp) + "mirelka-" +
                                          std::to_string(GetCurrentProcessId()) + "-" +
                                          std::to_string(n);
            if (CreateDirectoryW(Widen(candidate).c_str(), nullptr)) {
                dir_ = candidate;
            }
        }
        ASSERT_FALSE(dir_.empty());
    }

    void TearDown() override {
        if (!dir_.empty()) {
            RemoveTree(dir_);
        }
    }

    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

    static void Put(const std::string& path, const std::string& bytes) {
        UniqueFile file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file) << path;
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr));
        ASSERT_EQ(written, bytes.size());
    }

    // The whole file, or nothing when it can't be opened (missing, or held exclusively).
    static std::optional<std::string> Get(const std::string& path) {
        UniqueFile file(
            Hold(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
        if (!file) {
            return std::nullopt;
        }
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
            bytes.append(buffer, got);
        }
        return bytes;
    }

    static bool Exists(const std::string& path) {
        return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // An existing file opened the way another program might have it open.
    static UniqueFile Hold(const std::string& path, DWORD access, DWORD share) {
        return UniqueFile(CreateFileW(Widen(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    std::string dir_;

private:
    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(Widen(dir + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = Narrow(found.cFileName);
                if (name == "." || name == "..") {
                    continue;
                }
                const std::string path = dir + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(path);
                } else {
                    SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                    EXPECT_TRUE(DeleteFileW(Widen(path).c_str())) << "still open: " << path;
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(Widen(dir).c_str());
    }
};

}  // namespace mirelka::test
