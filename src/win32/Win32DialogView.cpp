#include "Win32DialogView.h"

#include <string>

#include "Win32CodePage.h"
#include "app/Texts.h"

namespace mirelka {

void Win32DialogView::SetIcons() {
    SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

MessageAnswer Win32DialogView::ShowMessage(std::string_view text, MessageType type) {
    const int answer = MessageBoxW(dialog_, Widen(text).c_str(), Widen(text::kCaption).c_str(),
                                   static_cast<UINT>(type));
    switch (answer) {
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
    }
}

void Win32DialogView::Beep() {
    MessageBeep(0);
}

void Win32DialogView::ComboReset(int id) {
    Send(id, CB_RESETCONTENT);
}

int Win32DialogView::ComboAdd(int id, std::string_view text) {
    const std::wstring wide = Widen(text);
    return static_cast<int>(Send(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int Win32DialogView::ComboCount(int id) const {
    return static_cast<int>(Send(id, CB_GETCOUNT));
}

std::string Win32DialogView::ComboItemText(int id, int index) const {
    const LRESULT length = Send(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR) {
        return {};
    }
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        Send(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (got == CB_ERR) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(got));
    return Narrow(buffer);
}

}  // namespace mirelka
