// LauncherDialog: the mode list, ScreenMode.txt and switching.
#include "app/LauncherDialog.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"

namespace mirelka {

void LauncherDialog::FillModeList() {
    modeList_.Fill(ports_.display);
}

int LauncherDialog::RestoreModeChecks() {
    return modeList_.RestoreChecks(modeFile_);
}

bool LauncherDialog::SaveScreenModes() {
    if (!modeList_.AnyTicked()) {
        ports_.view.ShowMessage(text::kTickOneToSave, MessageType::Error);
        return false;
    }
    return Rewrite(modeFile_, text::kCannotOpenScreenMode, [&] {
        for (std::size_t i = 0; i < modeList_.Count(); ++i) {
            if (modeList_.IsTicked(i)) {
                FormatMode(modeFile_, &modeList_.At(i));
                if (!modeFile_.WriteLine()) {
                    return false;
                }
            }
        }
        return true;
    });
}

void LauncherDialog::FillModeSelector() {
    DialogView& view = ports_.view;
    view.ComboReset(IDC_MODE_SELECTOR);
    view.ComboInsert(IDC_MODE_SELECTOR, 0, text::kNoMode);
    view.ComboSetItemData(IDC_MODE_SELECTOR, 0, -1);
    int next = 1;
    for (std::size_t i = 0; i < modeList_.Count(); ++i) {
        if (modeList_.IsTicked(i)) {
            const int index =
                view.ComboInsert(IDC_MODE_SELECTOR, next++, ModeLabel(modeList_.At(i)));
            view.ComboSetItemData(IDC_MODE_SELECTOR, index, static_cast<std::intptr_t>(i));
        }
    }
    view.ComboSelect(IDC_MODE_SELECTOR, 0);
}

bool LauncherDialog::CaptureRegistryMode(DisplayMode& mode) {
    std::optional<DisplayMode> stored = ports_.display.RegistryMode();
    if (!stored) {
        return false;
    }
    mode = std::move(*stored);
    return true;
}

void LauncherDialog::ApplyMode(const DisplayMode& mode) {
    ports_.display.Apply(mode);
}

void LauncherDialog::OnChangeResolution(int commandId) {
    if (commandId == ID_MODE_STARTUP) {
        if (startupModeValid_ != 0) {
            ApplyMode(startupMode_);
        }
        return;
    }
    const auto index = static_cast<std::size_t>(commandId - ID_MODE_FIRST);
    if (commandId > ID_MODE_STARTUP && index < modeList_.Count()) {
        ApplyMode(modeList_.At(index));
    }
}

}  // namespace mirelka
