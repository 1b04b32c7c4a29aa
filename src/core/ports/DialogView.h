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

// The main dialog as the core sees it: the window, its controls by id, message boxes and
// the beep. Every text crossing this interface is UTF-8.
class DialogView {
public:
    virtual ~DialogView() = default;

    // Big and small window icons from the program's icon.
    virtual void SetIcons() = 0;

    // Owned by the dialog, captioned "Mirelka".
    virtual MessageAnswer ShowMessage(std::string_view text, MessageType type) = 0;
    virtual void Beep() = 0;

    // The window.
    virtual bool IsVisible() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual void Hide() = 0;
    virtual void ShowNormal() = 0;
    virtual void SetForeground() = 0;
    // Ends the modal dialog: the program ends with it.
    virtual void End(int result) = 0;
    // Moves the focus to the next control, as Tab would.
    virtual void FocusNextControl() = 0;
    // Moves the focus to a control, as a dialog does.
    virtual void FocusControl(int id) = 0;
    // The mouse cursor in screen coordinates.
    virtual void CursorPosition(int& x, int& y) const = 0;
    // Moves the window inside the work area of its monitor where it stands out of it.
    virtual void KeepOnScreen() = 0;
    // A timer of the window: OnTimer(id) every milliseconds until it is stopped.
    virtual void StartTimer(int id, unsigned milliseconds) = 0;
    virtual void StopTimer(int id) = 0;
    // Shows a control without activating it, or hides it.
    virtual void ShowControl(int id, bool show) = 0;

    // A control's own text, and the state of a check box.
    virtual std::string Text(int id) const = 0;
    virtual void SetText(int id, std::string_view text) = 0;
    virtual bool Checked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;

    // Combo boxes; item data is a number kept per item.
    virtual void ComboReset(int id) = 0;
    virtual int ComboAdd(int id, std::string_view text) = 0;
    virtual int ComboInsert(int id, int index, std::string_view text) = 0;
    virtual void ComboSetItemData(int id, int index, std::intptr_t data) = 0;
    virtual std::intptr_t ComboItemData(int id, int index) const = 0;
    virtual std::string ComboItemText(int id, int index) const = 0;
    virtual int ComboSelection(int id) const = 0;  // -1 for none
    virtual void ComboSelect(int id, int index) = 0;
    // Selects the first item after index start whose text begins with text, ignoring
    // case, wrapping round to start itself last. The index, or -1 (selection unchanged).
    virtual int ComboSelectString(int id, int start, std::string_view text) = 0;

    // The check-list box: items with a box each, drawn ticked as the mode list says.
    virtual void ListAdd(int id, std::string_view text) = 0;
    // Draws the boxes again after their ticks changed.
    virtual void ListRedraw(int id) = 0;

    // The tab control.
    virtual void TabInsert(int id, int index, std::string_view text) = 0;
    virtual int TabSelection(int id) const = 0;
    virtual void TabSelect(int id, int index) = 0;
};

}  // namespace mirelka
