#include "ui/FormCheck.h"

#include "resources/Texts.h"
#include "store/AppRegistry.h"
#include "text/MbString.h"

namespace mirelka {

namespace {

// A TAB would split the record, an LF the line, and Ctrl-Z would end the file there. A CR
// reads back, but Notepad shows it as a line break and splits the record when it saves.
bool HoldsRecordBreaker(const std::string& title) {
    return title.find_first_of("\t\n\r\x1A") != std::string::npos;
}

Verdict Refuse(std::string text) {
    return {Verdict::Kind::Refuse, std::move(text)};
}

Verdict Ask(std::string text) {
    return {Verdict::Kind::Ask, std::move(text)};
}

}  // namespace

Verdict CheckRegister(const Form& form, const AppRegistry& registry,
                      const std::function<bool()>& shortcutReachable,
                      const std::function<bool()>& shortcutLoads) {
    const std::string& title = form.shownTitle;
    if (title.empty()) {
        return Refuse(ReplaceArg(text::kTitleMissing, text::kRegisterAction));
    }
    if (form.title == Form::Title::LooksLikeTwo) {
        return Refuse(text::kTitleNotStorable);
    }
    if (HoldsRecordBreaker(title)) {
        return Refuse(text::kTitleHasControl);
    }
    if (form.title != Form::Title::Exact) {
        return Refuse(text::kTitleNotStorable);
    }
    if (!form.shortcutStorable) {
        return Refuse(text::kShortcutNotStorable);
    }
    if (form.entry.shortcut.empty()) {
        return Refuse(text::kShortcutMissing);
    }
    if (!shortcutReachable()) {
        return Refuse(text::kShortcutInaccessible);
    }
    // Anything else would be accepted and then never start from the menu.
    if (!shortcutLoads()) {
        return Refuse(text::kShortcutUnreadable);
    }
    if (registry.Find(form.entry) != nullptr) {
        return Ask(ReplaceArg(text::kConfirmOverwrite, title));
    }
    return {};
}

Verdict CheckDelete(const Form& form, const AppRegistry& registry) {
    const std::string& title = form.shownTitle;
    if (title.empty()) {
        return Refuse(ReplaceArg(text::kTitleMissing, text::kDeleteAction));
    }
    if (form.title == Form::Title::LooksLikeTwo) {
        return Refuse(text::kTitleNotStorable);
    }
    // A title the code page can't hold was never registered.
    if (form.title != Form::Title::Exact || registry.Find(form.entry) == nullptr) {
        return Refuse(ReplaceArg(text::kNotRegistered, title));
    }
    return Ask(ReplaceArg(text::kConfirmDelete, title));
}

}  // namespace mirelka
