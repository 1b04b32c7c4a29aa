#pragma once

#include <functional>
#include <string>

#include "ui/ApplicationForm.h"

namespace mirelka {

class AppRegistry;

// What the application tab may do with a form: go ahead, refuse with a text, or ask the
// user (Yes goes ahead). The caller shows the box; nothing here changes anything.
struct Verdict {
    enum class Kind { Go, Refuse, Ask };
    Kind kind = Kind::Go;
    std::string text;  // UTF-8
};

// The rules of 登録, in their order. shortcutReachable and then shortcutLoads are asked only
// once the earlier rules passed: whether the system can read the attributes of the entry's
// shortcut, and whether the shortcut reader can load it.
Verdict CheckRegister(const Form& form, const AppRegistry& registry,
                      const std::function<bool()>& shortcutReachable,
                      const std::function<bool()>& shortcutLoads);
// The rules of 削除.
Verdict CheckDelete(const Form& form, const AppRegistry& registry);

}  // namespace mirelka
