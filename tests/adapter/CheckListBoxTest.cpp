#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cwctype>
#include <string>
#include <vector>

#include "CheckListBox.h"
#include "ComPtr.h"
#include "Win32ModeListAccess.h"

namespace mirelka::test {
namespace {

// The program's manifest asks for Common Controls 6, whose list box is not the system's.
constexpr char kManifest[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <dependency><dependentAssembly>
    <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                      processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
  </dependentAssembly></dependency>
</assembly>
)";

constexpr wchar_t kWindowClass[] = L"MirelkaCheckListTest";
constexpr int kListId = 1018;
const wchar_t* const kItems[] = {L" 640×480×8 60Hz", L" 800×600×16 60Hz", L" 800×600×32 60Hz",
                                 L" 1024×768×32 60Hz", L" 1024×768×32 75Hz"};
constexpr int kCount = static_cast<int>(std::size(kItems));

// The ticks, as the dialog's mode list keeps them.
std::vector<bool> ticks(kCount);

// The dialog's part: measuring and drawing go to the check list, toggles to the ticks.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MEASUREITEM:
            check_list::Measure(window, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            check_list::Draw(item, item.itemID < ticks.size() && ticks[item.itemID]);
            return TRUE;
        }
        case check_list::kToggleRequest:
            if (wParam < ticks.size()) {
                ticks[wParam] = !ticks[wParam];
                check_list::Redraw(GetDlgItem(window, kListId));
            } else {
                ADD_FAILURE() << "asked to toggle item " << wParam;
            }
            return TRUE;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class CheckListBoxTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ticks.assign(kCount, false);
        if (GetParam()) {
            ActivateCommonControls6();
        }
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kWindowClass;
        if (!RegisterClassW(&windowClass)) {
            ASSERT_EQ(GetLastError(), DWORD{ERROR_CLASS_ALREADY_EXISTS});
        }
        host_ = CreateWindowExW(0, kWindowClass, L"check list", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (host_ == nullptr) {
            // Wine without a display makes no windows at all.
            GTEST_SKIP() << "no window can be made here (no display?), error " << GetLastError();
        }
        list_ = CreateWindowExW(
            WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
            10, 10, 300, 200, host_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
            GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list_, nullptr);
        ASSERT_EQ(ListModule().find(L"comctl32"), GetParam() ? 0u : std::wstring::npos)
            << "not the list box this case is about";
        check_list::Attach(list_);
        for (const wchar_t* item : kItems) {
            ASSERT_GE(check_list::Add(list_, item), 0);
        }
        ShowWindow(host_, SW_SHOWNORMAL);
        UpdateWindow(host_);
        SetFocus(list_);
        Pump();
    }

    void TearDown() override {
        if (host_ != nullptr) {
            DestroyWindow(host_);
        }
        Pump();
        if (context_ != INVALID_HANDLE_VALUE) {
            DeactivateActCtx(0, cookie_);
            ReleaseActCtx(context_);
        }
    }

    std::vector<int> Ticked() const {
        std::vector<int> ticked;
        for (int i = 0; i < kCount; ++i) {
            if (ticks[static_cast<std::size_t>(i)]) {
                ticked.push_back(i);
            }
        }
        return ticked;
    }
    int Caret() const { return static_cast<int>(SendMessageW(list_, LB_GETCARETINDEX, 0, 0)); }
    RECT ItemRect(int index) const {
        RECT item{};
        EXPECT_NE(SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(&item)),
                  LB_ERR);
        return item;
    }
    // Where the list draws item index's box (and takes clicks in it), as it says.
    RECT Box(int index) const { return check_list::ItemBox(list_, ItemRect(index)); }
    POINT InBox(int index) const {
        const RECT box = Box(index);
        return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    }
    POINT OnText(int index) const {
        return {Box(index).right + 14, (ItemRect(index).top + ItemRect(index).bottom) / 2};
    }
    void Click(POINT at) {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(list_, WM_LBUTTONUP, 0, where);
        Pump();
    }
    // The second click of a double click comes as WM_LBUTTONDBLCLK (list boxes ask for it).
    void DoubleClick(POINT at) {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(list_, WM_LBUTTONUP, 0, where);
        PostMessageW(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        PostMessageW(list_, WM_LBUTTONUP, 0, where);
        Pump();
    }
    // As the keyboard would: down, the character it makes, up.
    void Key(WORD key) {
        const auto scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        PostMessageW(list_, WM_KEYDOWN, key, 1 | (scan << 16));
        PostMessageW(list_, WM_KEYUP, key, 1 | (scan << 16) | (LPARAM{3} << 30));
        Pump();
    }

    HWND host_ = nullptr;
    HWND list_ = nullptr;

private:
    void ActivateCommonControls6() {
        wchar_t folder[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
        const std::wstring path = std::wstring(folder) + L"mirelka-comctl6-" +
                                  std::to_wstring(GetCurrentProcessId()) + L".manifest";
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        const BOOL wrote =
            WriteFile(file, kManifest, DWORD{sizeof kManifest - 1}, &written, nullptr);
        CloseHandle(file);
        ASSERT_TRUE(wrote);
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.lpSource = path.c_str();
        context_ = CreateActCtxW(&request);
        DeleteFileW(path.c_str());
        ASSERT_NE(context_, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(ActivateActCtx(context_, &cookie_));
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }

    // The file name, in lower case, of the module whose window procedure runs the list box.
    std::wstring ListModule() const {
        const auto procedure = GetWindowLongPtrW(list_, GWLP_WNDPROC);
        HMODULE module = nullptr;
        GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(procedure), &module);
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(module, path, MAX_PATH);
        std::wstring name = path;
        name.erase(0, name.find_last_of(L'\\') + 1);
        for (wchar_t& c : name) {
            c = static_cast<wchar_t>(std::towlower(c));
        }
        return name;
    }

    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

TEST_P(CheckListBoxTest, AClickInTheBoxTogglesOnlyThatItem) {
    Click(InBox(2));
    EXPECT_EQ(Ticked(), std::vector<int>{2});
    Click(InBox(4));
    EXPECT_EQ(Ticked(), (std::vector<int>{2, 4}));
    Click(InBox(2));
    EXPECT_EQ(Ticked(), std::vector<int>{4});

    // Two quick clicks are two clicks, as on any check box.
    EXPECT_NE(GetClassLongPtrW(list_, GCL_STYLE) & CS_DBLCLKS, 0u);
    DoubleClick(InBox(1));
    EXPECT_EQ(Ticked(), std::vector<int>{4});

    Click(OnText(1));
    DoubleClick(OnText(2));
    Click(OnText(4));
    const RECT last = ItemRect(kCount - 1);
    Click({last.right - 2, (last.top + last.bottom) / 2});
    EXPECT_EQ(Ticked(), std::vector<int>{4}) << "a click on the text";

    RECT client{};
    GetClientRect(list_, &client);
    ASSERT_LT(last.bottom + 10, client.bottom) << "no room below the items";
    // The system takes the last item for the nearest one here.
    for (const LONG y : {last.bottom + 5, client.bottom - 2}) {
        Click({InBox(0).x, y});
        EXPECT_EQ(Ticked(), std::vector<int>{4}) << "a click below the items at " << y;
    }
}

TEST_P(CheckListBoxTest, SpaceTogglesTheItemWithTheCaret) {
    Key(VK_HOME);
    EXPECT_EQ(Caret(), 0);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Caret(), 2) << "arrows don't move the caret";
    Key(VK_SPACE);
    EXPECT_EQ(Ticked(), std::vector<int>{2});
    EXPECT_EQ(Caret(), 2);
    // Every label starts with a blank: a type-ahead search for it would move the caret.
    PostMessageW(list_, WM_CHAR, L' ', 1);
    Pump();
    EXPECT_EQ(Caret(), 2);
    Key(VK_SPACE);
    EXPECT_EQ(Ticked(), std::vector<int>{});

    // A click moves the caret too, after the keyboard did.
    Click(OnText(4));
    EXPECT_EQ(Caret(), 4);
    Key(VK_SPACE);
    EXPECT_EQ(Ticked(), std::vector<int>{4});
    Key(VK_UP);
    Key(VK_SPACE);
    EXPECT_EQ(Ticked(), (std::vector<int>{3, 4}));
}

// What a user sees: the box of a ticked item looks different from an unticked one.
TEST_P(CheckListBoxTest, DrawsTheTick) {
    const int size = Box(0).bottom - Box(0).top;
    EXPECT_TRUE(Box(0).top >= ItemRect(0).top && Box(0).bottom <= ItemRect(0).bottom);
    const auto box = [&](int index) {
        RECT client{};
        GetClientRect(list_, &client);
        const HDC screen = GetDC(list_);
        const HDC memory = CreateCompatibleDC(screen);
        const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        ReleaseDC(list_, screen);
        const HGDIOBJ old = SelectObject(memory, bitmap);
        SendMessageW(list_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        std::vector<COLORREF> pixels;
        const POINT centre = InBox(index);
        for (int y = centre.y - size / 2; y < centre.y + size / 2; ++y) {
            for (int x = centre.x - size / 2; x < centre.x + size / 2; ++x) {
                pixels.push_back(GetPixel(memory, x, y));
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        return pixels;
    };
    const std::vector<COLORREF> unticked = box(1);
    EXPECT_EQ(box(2), unticked);
    ticks[1] = true;
    check_list::Redraw(list_);
    EXPECT_NE(box(1), unticked);
    EXPECT_EQ(box(2), unticked);
    ticks[1] = false;
    check_list::Redraw(list_);
    EXPECT_EQ(box(1), unticked);
}

// A screen reader reads each item's tick through the list box proxy and our annotation.
TEST_P(CheckListBoxTest, AScreenReaderReadsTheTicks) {
    const ComApartment apartment;
    Win32ModeListAccess access;
    if (!access.Attach(list_, L"基本設定")) {
        // Wine's oleacc answers E_NOTIMPL from every IAccPropServices method.
        GTEST_SKIP() << "no Dynamic Annotation here";
    }
    access.SetTicks({false, true, false, false, true});
    access.Toggled(0, true);
    access.Toggled(1, false);
    ComPtr<IAccessible> accessible;
    ASSERT_EQ(AccessibleObjectFromWindow(list_, static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), accessible.PutVoid()),
              S_OK);
    VARIANT child{};
    child.vt = VT_I4;  // and CHILDID_SELF, the list itself
    BSTR name = nullptr;
    ASSERT_EQ(accessible->get_accName(child, &name), S_OK);
    EXPECT_EQ(std::wstring(name != nullptr ? name : L""), L"基本設定");
    SysFreeString(name);
    for (int i = 0; i < kCount; ++i) {
        VARIANT state{};
        child.lVal = i + 1;
        ASSERT_EQ(accessible->get_accState(child, &state), S_OK) << "item " << i;
        EXPECT_EQ(state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_CHECKED) != 0, i == 0 || i == 4)
            << "item " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(ListBoxes, CheckListBoxTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "CommonControls6" : "System";
                         });

}  // namespace
}  // namespace mirelka::test
