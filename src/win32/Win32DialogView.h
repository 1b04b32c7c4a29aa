#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "ports/DialogView.h"

namespace mirelka {

// The main dialog's window and controls through the wide API; texts are UTF-8 at the port.
class Win32DialogView final : public DialogView {
public:
    Win32DialogView(HICON bigIcon, HICON smallIcon) : bigIcon_(bigIcon), smallIcon_(smallIcon) {}

    void Attach(HWND dialog) {
        dialog_ = dialog;
        controls_.clear();
    }
    HWND Window() const { return dialog_; }

    void SetIcons() override;
    MessageAnswer ShowMessage(std::string_view text, MessageType type) override;
    void Beep() override;

    bool IsVisible() const override;
    bool IsMinimized() const override;
    void Hide() override;
    void ShowNormal() override;
    void SetForeground() override;
    void End(int result) override;
    void FocusNextControl() override;
    void FocusControl(int id) override;
    void CursorPosition(int& x, int& y) const override;
    void ShowControl(int id, bool show) override;
    void KeepOnScreen() override;
    void StartTimer(int id, unsigned milliseconds) override;
    void StopTimer(int id) override;

    std::string Text(int id) const override;
    void SetText(int id, std::string_view text) override;
    bool Checked(int id) const override;
    void SetChecked(int id, bool checked) override;

    void ComboReset(int id) override;
    int ComboAdd(int id, std::string_view text) override;
    int ComboInsert(int id, int index, std::string_view text) override;
    void ComboSetItemData(int id, int index, std::intptr_t data) override;
    std::intptr_t ComboItemData(int id, int index) const override;
    std::string ComboItemText(int id, int index) const override;
    int ComboSelection(int id) const override;
    void ComboSelect(int id, int index) override;
    int ComboSelectString(int id, int start, std::string_view text) override;

    void ListAdd(int id, std::string_view text) override;
    void ListRedraw(int id) override;

    void TabInsert(int id, int index, std::string_view text) override;
    int TabSelection(int id) const override;
    void TabSelect(int id, int index) override;

private:
    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(Control(id), message, wParam, lParam);
    }
    HWND Control(int id) const;

    HWND dialog_ = nullptr;
    // The template's controls live as long as the dialog; each is looked up once.
    mutable std::vector<std::pair<int, HWND>> controls_;
    HICON bigIcon_;
    HICON smallIcon_;
};

}  // namespace mirelka
