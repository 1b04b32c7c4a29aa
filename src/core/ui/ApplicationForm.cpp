#include "ui/ApplicationForm.h"

#include <optional>

#include "display/ModeList.h"
#include "display/ModeRules.h"
#include "ports/CodePage.h"
#include "ports/DialogView.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"
#include "store/AppRegistry.h"

namespace mirelka {

std::string ApplicationForm::Utf8(const std::string& ansi) const {
    return codePage_.ToUtf8(ansi);
}

void ApplicationForm::TitleFromBox(const AppRegistry& registry, Form& form) const {
    const std::string& shown = form.shownTitle;
    // Picked from the box: the entry at its place, which holds the registry in order. Two
    // titles with bytes the code page doesn't define may look alike.
    const int picked = view_.ComboSelection(IDC_TITLE);
    if (picked >= 0 && picked < registry.Count() &&
        view_.ComboItemText(IDC_TITLE, picked) == shown &&
        Utf8(registry.At(picked).title) == shown) {
        form.entry.title = registry.At(picked).title;
        return;
    }
    // Typed. Code page 932 has characters with two codes; shown through the wide interface
    // and typed back, a registered title comes back with the other bytes. Its own bytes are
    // the ones the registry knows it by.
    int alike = 0;
    for (std::int32_t i = 0; i < registry.Count(); ++i) {
        if (Utf8(registry.At(i).title) == shown && alike++ == 0) {
            form.entry.title = registry.At(i).title;
        }
    }
    if (alike > 1) {
        form.entry.title.clear();
        form.title = Form::Title::LooksLikeTwo;
        return;
    }
    if (alike == 1) {
        return;
    }
    if (std::optional<std::string> ansi = codePage_.FromUtf8Exact(shown)) {
        form.entry.title = std::move(*ansi);
    } else {
        form.title = Form::Title::Unstorable;
    }
}

Form ApplicationForm::Read(const AppRegistry& registry, const ModeList& modes) const {
    Form form;
    AppEntry& entry = form.entry;
    form.shownTitle = view_.Text(IDC_TITLE);
    TitleFromBox(registry, form);
    const int selection = view_.ComboSelection(IDC_MODE_SELECTOR);
    if (selection >= 0) {
        const std::intptr_t index = view_.ComboItemData(IDC_MODE_SELECTOR, selection);
        if (index >= 0 && static_cast<std::size_t>(index) < modes.Count()) {
            const DisplayMode& mode = modes.At(static_cast<std::size_t>(index));
            entry.width = static_cast<std::int32_t>(mode.width);
            entry.height = static_cast<std::int32_t>(mode.height);
            entry.bitsPerPixel = static_cast<std::int32_t>(mode.bitsPerPixel);
            entry.frequency = static_cast<std::int32_t>(mode.frequency);
        }
    }
    // The box shows UTF-8; AppData.txt keeps the code page's bytes, exactly or not at all.
    if (std::optional<std::string> shortcut = codePage_.FromUtf8Exact(view_.Text(IDC_SHORTCUT))) {
        entry.shortcut = std::move(*shortcut);
    } else {
        form.shortcutStorable = false;
    }
    entry.restoreOnExit = view_.Checked(IDC_RESTORE) ? 1 : 0;
    return form;
}

void ApplicationForm::FillTitleBox(AppRegistry& registry) {
    view_.ComboReset(IDC_TITLE);
    registry.ForEach([&](const AppEntry& entry) { view_.ComboAdd(IDC_TITLE, Utf8(entry.title)); });
}

void ApplicationForm::RefillTitleBox(AppRegistry& registry) {
    // Emptying the box may empty its edit field too.
    const std::string typed = view_.Text(IDC_TITLE);
    FillTitleBox(registry);
    view_.SetText(IDC_TITLE, typed);
}

void ApplicationForm::SelectTitle(const AppRegistry& registry, const AppEntry& entry) {
    for (std::int32_t i = 0; i < registry.Count(); ++i) {
        if (registry.Compare(registry.At(i), entry) == 0) {
            view_.ComboSelect(IDC_TITLE, static_cast<int>(i));
            return;
        }
    }
}

void ApplicationForm::FillModeSelector(const ModeList& modes) {
    view_.ComboReset(IDC_MODE_SELECTOR);
    view_.ComboInsert(IDC_MODE_SELECTOR, 0, text::kNoMode);
    view_.ComboSetItemData(IDC_MODE_SELECTOR, 0, -1);
    int next = 1;
    for (std::size_t i = 0; i < modes.Count(); ++i) {
        if (modes.IsTicked(i)) {
            const int index = view_.ComboInsert(IDC_MODE_SELECTOR, next++, ModeLabel(modes.At(i)));
            view_.ComboSetItemData(IDC_MODE_SELECTOR, index, static_cast<std::intptr_t>(i));
        }
    }
    view_.ComboSelect(IDC_MODE_SELECTOR, 0);
}

bool ApplicationForm::ShowChosenTitle(const AppRegistry& registry) {
    const int selection = view_.ComboSelection(IDC_TITLE);
    // By its place: the box holds the registry in order, and two titles may look alike.
    if (selection < 0 || selection >= registry.Count()) {
        return false;
    }
    const AppEntry& entry = registry.At(selection);
    // A mode no longer ticked is not in the selector: the entry then shows "未設定".
    if (view_.ComboSelectString(IDC_MODE_SELECTOR, 0, ModeLabel(ModeOf(entry))) < 0) {
        view_.ComboSelect(IDC_MODE_SELECTOR, 0);
    }
    view_.SetText(IDC_SHORTCUT, Utf8(entry.shortcut));
    view_.SetChecked(IDC_RESTORE, entry.restoreOnExit != 0);
    return true;
}

}  // namespace mirelka
