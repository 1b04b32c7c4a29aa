#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

#include "UniqueHandle.h"

namespace mirelka {
namespace {

// The built Mirelka.exe as Windows reads it, mapped as an image without being started.
class Executable : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring path = L"" MIRELKA_EXE;
        std::replace(path.begin(), path.end(), L'/', L'\\');
        exe_.reset(LoadLibraryExW(path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(exe_) << "error " << GetLastError();
    }
    // Everything at an address relative to the image; the handle's low bits are flags.
    template <typename T>
    const T* At(DWORD rva) const {
        return reinterpret_cast<const T*>(
            (reinterpret_cast<ULONG_PTR>(exe_.get()) & ~ULONG_PTR{3}) + rva);
    }
    UniqueModule exe_;
};

// Windows reads resource 1: a linker that adds a manifest of its own (MSVC's does unless told
// not to) duplicates or replaces ours, with common controls 6, the DPI setting and the
// supportedOS list.
TEST_F(Executable, HasOurManifestAsItsOnlyOne) {
    int count = 0;
    EnumResourceNamesW(
        exe_.get(), RT_MANIFEST,
        [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR counted) -> BOOL {
            ++*reinterpret_cast<int*>(counted);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&count));
    ASSERT_EQ(count, 1);
    const HRSRC found = FindResourceW(exe_.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(exe_.get(), found))),
                          SizeofResource(exe_.get(), found));
    EXPECT_TRUE(std::regex_search(
        xml, std::regex(R"(name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0")")));
    EXPECT_TRUE(std::regex_search(xml, std::regex(R"(<dpiAware[^>]*>\s*true\s*</dpiAware>)")));
    std::set<std::string> systems;
    const std::regex supported(R"re(<supportedOS\s+Id="([^"]+)")re");
    for (std::sregex_iterator it(xml.begin(), xml.end(), supported), end; it != end; ++it) {
        systems.insert((*it)[1]);
    }
    // Vista and 7, nothing later: declaring 8 or later hides the 8- and 16-bit colour modes.
    EXPECT_EQ(systems, (std::set<std::string>{"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                                              "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"}));
}

// An import Windows lacks stops the program before its first line; Windows 7 has the
// directory functions only with an update, Vista no per-window message filter, so the
// program looks them up.
TEST_F(Executable, ImportsNothingWindows7MayLack) {
    const auto* nt = At<IMAGE_NT_HEADERS>(static_cast<DWORD>(At<IMAGE_DOS_HEADER>(0)->e_lfanew));
    std::set<std::string> names;
    for (auto* library = At<IMAGE_IMPORT_DESCRIPTOR>(
             nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         library->Name != 0; ++library) {
        for (auto* thunk = At<IMAGE_THUNK_DATA>(library->OriginalFirstThunk);
             thunk->u1.AddressOfData != 0; ++thunk) {
            if (!IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) {
                names.insert(
                    At<IMAGE_IMPORT_BY_NAME>(static_cast<DWORD>(thunk->u1.AddressOfData))->Name);
            }
        }
    }
    EXPECT_EQ(names.count("CreateMutexW"), 1u) << "the table was read";
    for (const char* missing : {"SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory",
                                "ChangeWindowMessageFilterEx"}) {
        EXPECT_EQ(names.count(missing), 0u) << missing;
    }
}

}  // namespace
}  // namespace mirelka
