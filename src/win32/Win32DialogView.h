#pragma once

#include <windows.h>

#include "ports/DialogView.h"

namespace mirelka {

// The main dialog's controls through the wide API; texts are UTF-8 at the port.
class Win32DialogView final : public DialogView {
public:
    explicit Win32DialogView(HICON bigIcon, HICON smallIcon)
        : bigIcon_(bigIcon), smallIcon_(smallIcon) {}

    void Attach(HWND dialog) { dialog_ = dialog; }
    HWND Window() const { return dialog_; }

    void SetIcons() override;
    MessageAnswer ShowMessage(std::string_view text, MessageType type) override;
    void Beep() override;

    void ComboReset(int id) override;
    int ComboAdd(int id, std::string_view text) override;
    int ComboCount(int id) const override;
    std::string ComboItemText(int id, int index) const override;

private:
    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendDlgItemMessageW(dialog_, id, message, wParam, lParam);
    }

    HWND dialog_ = nullptr;
    HICON bigIcon_;
    HICON smallIcon_;
};

}  // namespace mirelka
