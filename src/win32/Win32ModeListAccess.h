#pragma once

#include <windows.h>

#include <oleacc.h>

#include <memory>
#include <vector>

#include "ComPtr.h"
#include "ports/ModeListAccess.h"

namespace mirelka {

// Dynamic Annotation of the owner-drawn mode list: the system's list box proxy keeps giving
// each item its role (list item) and name (its label); an annotation server of ours answers
// each item's state, checked when ticked. A list item with the checked state is what the
// system's own check-box list view exposes, so readers announce it as a checkable item.
// Every failure leaves the list as the proxy alone shows it.
class Win32ModeListAccess final : public ModeListAccess {
public:
    Win32ModeListAccess();
    ~Win32ModeListAccess() override;
    Win32ModeListAccess(const Win32ModeListAccess&) = delete;
    Win32ModeListAccess& operator=(const Win32ModeListAccess&) = delete;

    // Annotates list: its name, and its items' states from now on. COM must be initialised.
    // False when the items' states could not be annotated.
    bool Attach(HWND list, const wchar_t* name);
    // Clears the annotations, while list still exists.
    void Detach();

    void SetTicks(const std::vector<bool>& ticks) override;
    void Toggled(std::size_t index, bool ticked) override;

    class StateServer;

private:
    HWND list_ = nullptr;
    ComPtr<IAccPropServices> services_;
    // Shared with the server: the annotation run time may hold the server a while longer.
    std::shared_ptr<std::vector<bool>> ticks_;
    ComPtr<StateServer> server_;
};

}  // namespace mirelka
