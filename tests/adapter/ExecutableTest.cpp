#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace mirelka {
namespace {

// The built Mirelka.exe as Windows reads it, mapped as an image without being started.
class Executable : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring path = L"" MIRELKA_EXE;
        for (wchar_t& c : path) {
            c = c == L'/' ? L'\\' : c;
        }
        exe_.reset(LoadLibraryExW(path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(exe_) << "error " << GetLastError();
        // The handle's two low bits say how it was mapped.
        base_ =
            reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(exe_.get()) & ~ULONG_PTR{3});
    }
    UniqueModule exe_;
    const BYTE* base_ = nullptr;
};

// Windows reads resource 1: a linker that adds a manifest of its own (MSVC's does unless told
// not to) duplicates or replaces ours, and takes common controls 6, the DPI setting and the
// supportedOS list with it.
TEST_F(Executable, HasOurManifestAsItsOnlyOne) {
    std::vector<ULONG_PTR> ids;
    EnumResourceNamesW(
        exe_.get(), RT_MANIFEST,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(
                reinterpret_cast<ULONG_PTR>(name));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    ASSERT_EQ(ids, std::vector<ULONG_PTR>{1});

    const HRSRC found = FindResourceW(exe_.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(exe_.get(), found))),
                          SizeofResource(exe_.get(), found));
    EXPECT_TRUE(std::regex_search(
        xml, std::regex(R"(name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0")")));
    EXPECT_TRUE(std::regex_search(xml, std::regex(R"(<dpiAware[^>]*>\s*true\s*</dpiAware>)")));
    std::set<std::string> systems;
    const std::regex supported(R"re(<supportedOS\s+Id="([^"]+)")re");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), supported);
             it != std::sregex_iterator(); ++it) {
        systems.insert((*it)[1]);
    }
    // Vista and 7, nothing later: declaring 8 or later hides the 8- and 16-bit colour modes.
    EXPECT_EQ(systems, (std::set<std::string>{"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                                              "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"}));
}

// An import Windows lacks stops the program before its first line runs; Windows 7 has
// SetDefaultDllDirectories only with an update, so the program looks it up instead.
TEST_F(Executable, ImportsNothingWindows7MayLack) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base_);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base_ + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::set<std::string> names;
    for (auto* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base_ + imports.VirtualAddress);
         library->Name != 0; ++library) {
        const DWORD thunks =
            library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk;
        for (auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base_ + thunks);
             thunk->u1.AddressOfData != 0; ++thunk) {
            if (!IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) {
                names.insert(
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base_ + thunk->u1.AddressOfData)
                        ->Name);
            }
        }
    }
    EXPECT_GT(names.count("CreateMutexW"), 0u);  // the table was read
    for (const char* missing :
         {"SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory"}) {
        EXPECT_EQ(names.count(missing), 0u) << missing;
    }
}

}  // namespace
}  // namespace mirelka
