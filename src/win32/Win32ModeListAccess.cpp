#include "Win32ModeListAccess.h"

#include <iterator>
#include <utility>

namespace mirelka {

namespace {

// Both annotated properties, as ClearHwndProps takes them back.
const MSAAPROPID kAnnotated[] = {PROPID_ACC_NAME, PROPID_ACC_STATE};

}  // namespace

// Answers PROPID_ACC_STATE for the list's items (the list itself is left to the proxy) as
// the proxy would, with the tick added: focusable, focused on the caret item while the list
// has the focus, off screen when scrolled out of view.
class Win32ModeListAccess::StateServer final : public IAccPropServer {
public:
    StateServer(IAccPropServices* services, HWND list, std::shared_ptr<std::vector<bool>> ticks)
        : list_(list), ticks_(std::move(ticks)) {
        services->AddRef();
        *services_.Put() = services;
    }
    StateServer(const StateServer&) = delete;
    StateServer& operator=(const StateServer&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAccPropServer)) {
            *object = static_cast<IAccPropServer*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = static_cast<ULONG>(--references_);
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE* identity, DWORD identityLength,
                                           MSAAPROPID property, VARIANT* value,
                                           BOOL* hasProperty) override {
        if (value == nullptr || hasProperty == nullptr) {
            return E_POINTER;
        }
        value->vt = VT_EMPTY;
        *hasProperty = FALSE;
        HWND window = nullptr;
        DWORD object = 0;
        DWORD child = 0;
        if (!IsEqualGUID(property, PROPID_ACC_STATE) ||
            FAILED(services_->DecomposeHwndIdentityString(identity, identityLength, &window,
                                                          &object, &child)) ||
            window != list_ || child == CHILDID_SELF || child > ticks_->size()) {
            return S_OK;
        }
        const DWORD index = child - 1;
        LONG state = STATE_SYSTEM_FOCUSABLE;
        if ((*ticks_)[index]) {
            state |= STATE_SYSTEM_CHECKED;
        }
        if (GetFocus() == list_ &&
            SendMessageW(list_, LB_GETCARETINDEX, 0, 0) == static_cast<LRESULT>(index)) {
            state |= STATE_SYSTEM_FOCUSED;
        }
        RECT item{};
        RECT client{};
        RECT shown{};
        if (SendMessageW(list_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) != LB_ERR &&
            GetClientRect(list_, &client) && !IntersectRect(&shown, &item, &client)) {
            state |= STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE;
        }
        value->vt = VT_I4;
        value->lVal = state;
        *hasProperty = TRUE;
        return S_OK;
    }

private:
    ~StateServer() = default;

    ComPtr<IAccPropServices> services_;
    HWND list_;
    std::shared_ptr<std::vector<bool>> ticks_;
    long references_ = 1;  // the creator's; one thread only (the dialog's apartment)
};

Win32ModeListAccess::Win32ModeListAccess() : ticks_(std::make_shared<std::vector<bool>>()) {}

Win32ModeListAccess::~Win32ModeListAccess() {
    Detach();
}

bool Win32ModeListAccess::Attach(HWND list, const wchar_t* name) {
    Detach();
    list_ = list;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, services_.PutVoid()))) {
        services_.Reset();
        return false;
    }
    // The list has no label of its own: it is named after its tab.
    services_->SetHwndPropStr(list, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                              name);
    *server_.Put() = new StateServer(services_.Get(), list, ticks_);
    return SUCCEEDED(services_->SetHwndPropServer(list, static_cast<DWORD>(OBJID_CLIENT),
                                                  CHILDID_SELF, &PROPID_ACC_STATE, 1, server_.Get(),
                                                  ANNO_CONTAINER));
}

void Win32ModeListAccess::Detach() {
    if (services_ && list_ != nullptr) {
        services_->ClearHwndProps(list_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAnnotated,
                                  static_cast<int>(std::size(kAnnotated)));
    }
    server_.Reset();
    services_.Reset();
    list_ = nullptr;
}

void Win32ModeListAccess::SetTicks(const std::vector<bool>& ticks) {
    *ticks_ = ticks;
}

void Win32ModeListAccess::Toggled(std::size_t index, bool ticked) {
    if (index >= ticks_->size()) {
        return;
    }
    (*ticks_)[index] = ticked;
    // The annotation run time raises no events: readers hear of the change from us.
    if (list_ != nullptr) {
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list_, OBJID_CLIENT, static_cast<LONG>(index + 1));
    }
}

}  // namespace mirelka
