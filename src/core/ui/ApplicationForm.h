#pragma once

#include <string>

#include "store/AppEntry.h"

namespace mirelka {

class AppRegistry;
class CodePage;
class DialogView;
class ModeList;

// What the application tab's controls stand for: the entry in data text, and what of it
// has no exact data text (left out of the entry).
struct Form {
    enum class Title {
        Exact,
        Unstorable,    // a character the code page can't hold exactly
        LooksLikeTwo,  // typed, and shown alike by two registered titles
    };
    AppEntry entry;
    std::string shownTitle;  // UTF-8, as the box shows it: what messages name
    Title title = Title::Exact;
    bool shortcutStorable = true;
};

// The application tab's title box, mode selector, shortcut field and restore box, read into
// a Form and filled from the registry and the ticks.
class ApplicationForm {
public:
    ApplicationForm(DialogView& view, const CodePage& codePage)
        : view_(view), codePage_(codePage) {}

    Form Read(const AppRegistry& registry, const ModeList& modes) const;

    void FillTitleBox(AppRegistry& registry);
    // Refills the title box with what the user typed kept in its field.
    void RefillTitleBox(AppRegistry& registry);
    // The title box's item for entry's title, by position: selecting by text would take the
    // first title merely beginning with this one, in any case ("Game 2", "game").
    void SelectTitle(const AppRegistry& registry, const AppEntry& entry);
    // "未設定", then the ticked modes in list order.
    void FillModeSelector(const ModeList& modes);
    // The entry chosen in the title box into the other fields; false when none is chosen.
    // The shortcut's target and folder are the caller's to show.
    bool ShowChosenTitle(const AppRegistry& registry);

private:
    // The data-text title for what the title box shows, into form.
    void TitleFromBox(const AppRegistry& registry, Form& form) const;
    // Data text for showing only.
    std::string Utf8(const std::string& ansi) const;

    DialogView& view_;
    const CodePage& codePage_;
};

}  // namespace mirelka
