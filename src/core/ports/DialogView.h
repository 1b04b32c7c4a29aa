#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mirelka {

// Message box types, as the platform numbers them.
enum class MessageType : unsigned {
    Notice = 0x00,   // MB_OK
    Error = 0x10,    // MB_ICONERROR
    Confirm = 0x124  // MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2
};

enum class MessageAnswer { Ok = 1, Yes = 6, No = 7 };

// The main dialog as the core sees it: its controls by id, message boxes and the beep.
// Every text crossing this interface is UTF-8.
class DialogView {
public:
    virtual ~DialogView() = default;

    // Big and small window icons from the program's icon.
    virtual void SetIcons() = 0;

    // Owned by the dialog, captioned "Mirelka".
    virtual MessageAnswer ShowMessage(std::string_view text, MessageType type) = 0;
    virtual void Beep() = 0;

    // Combo boxes.
    virtual void ComboReset(int id) = 0;
    virtual int ComboAdd(int id, std::string_view text) = 0;
    virtual int ComboCount(int id) const = 0;
    virtual std::string ComboItemText(int id, int index) const = 0;
};

}  // namespace mirelka
