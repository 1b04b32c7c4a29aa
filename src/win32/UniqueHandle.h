#pragma once

// One move-only owner for every kind of Windows handle, one alias per kind.

#include <windows.h>

#include <objbase.h>
#include <shtypes.h>
#include <uxtheme.h>

#include <utility>

namespace mirelka {

template <typename T, auto Close, auto Invalid>
class UniqueAny {
public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : value_(value) {}
    ~UniqueAny() { reset(); }
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid(); }
    T release() { return std::exchange(value_, Invalid()); }
    void reset(T value = Invalid()) {
        T old = std::exchange(value_, value);
        if (old != Invalid()) {
            Close(old);
        }
    }

private:
    T value_ = Invalid();
};

namespace detail {
inline HANDLE NullHandle() {
    return nullptr;
}
inline HANDLE InvalidHandle() {
    return INVALID_HANDLE_VALUE;
}
inline HMENU NullMenu() {
    return nullptr;
}
inline HICON NullIcon() {
    return nullptr;
}
inline HMODULE NullModule() {
    return nullptr;
}
inline PWSTR NullString() {
    return nullptr;
}
inline HHOOK NullHook() {
    return nullptr;
}
inline HTHEME NullTheme() {
    return nullptr;
}
inline PIDLIST_ABSOLUTE NullIdList() {
    return nullptr;
}
inline void CloseHandleChecked(HANDLE h) {
    ::CloseHandle(h);
}
inline void DestroyMenuChecked(HMENU m) {
    ::DestroyMenu(m);
}
inline void DestroyIconChecked(HICON i) {
    ::DestroyIcon(i);
}
inline void FreeLibraryChecked(HMODULE m) {
    ::FreeLibrary(m);
}
inline void CoTaskMemFreeChecked(PWSTR s) {
    ::CoTaskMemFree(s);
}
inline void UnhookChecked(HHOOK h) {
    ::UnhookWindowsHookEx(h);
}
inline void CloseThemeChecked(HTHEME t) {
    ::CloseThemeData(t);
}
inline void CoTaskMemFreeIdList(PIDLIST_ABSOLUTE l) {
    ::CoTaskMemFree(l);
}
}  // namespace detail

using UniqueHandle = UniqueAny<HANDLE, detail::CloseHandleChecked, detail::NullHandle>;
using UniqueFile = UniqueAny<HANDLE, detail::CloseHandleChecked, detail::InvalidHandle>;
using UniqueMenu = UniqueAny<HMENU, detail::DestroyMenuChecked, detail::NullMenu>;
using UniqueIcon = UniqueAny<HICON, detail::DestroyIconChecked, detail::NullIcon>;
using UniqueModule = UniqueAny<HMODULE, detail::FreeLibraryChecked, detail::NullModule>;
using UniqueHook = UniqueAny<HHOOK, detail::UnhookChecked, detail::NullHook>;
using UniqueTheme = UniqueAny<HTHEME, detail::CloseThemeChecked, detail::NullTheme>;
// A string or an item-ID list the shell allocated with the COM task allocator.
using UniqueCoTaskString = UniqueAny<PWSTR, detail::CoTaskMemFreeChecked, detail::NullString>;
using UniqueIdList = UniqueAny<PIDLIST_ABSOLUTE, detail::CoTaskMemFreeIdList, detail::NullIdList>;

}  // namespace mirelka
