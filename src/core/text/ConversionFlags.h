#pragma once

namespace mirelka {

// What an exact conversion passes to MultiByteToWideChar and WideCharToMultiByte for one code
// page. Windows refuses flags a code page doesn't take (UTF-8 takes only 0 and the "invalid
// characters" flags, and no default-character arguments) by failing the call, so a wrong
// choice fails every conversion on such a system. Chosen here, where it can be tested
// without Windows.
struct ConversionFlags {
    unsigned toWide = 0;    // MultiByteToWideChar's dwFlags
    unsigned fromWide = 0;  // WideCharToMultiByte's dwFlags
    // Whether WideCharToMultiByte may be asked whether it put in the default character.
    bool asksUsedDefault = false;
    // Whether invalid input fails the call to UTF-16; where it can't, only converting the
    // result back tells.
    bool toWideRejectsInvalid = false;
};

// codePage is a number (932, 65001), not CP_ACP or another stand-in.
ConversionFlags ExactConversionFlags(unsigned codePage);

// The values of <windows.h>, for the core; the Win32 adapter checks them against it.
namespace win {
inline constexpr unsigned kMbErrInvalidChars = 0x08;
inline constexpr unsigned kWcErrInvalidChars = 0x80;
inline constexpr unsigned kWcNoBestFitChars = 0x400;
inline constexpr unsigned kUtf8 = 65001;
inline constexpr unsigned kGb18030 = 54936;
}  // namespace win

}  // namespace mirelka
