#include "store/AppEntry.h"

#include "store/RecordFile.h"
#include "text/MbString.h"

namespace mirelka {

std::string FormatAppEntry(const AppEntry& entry) {
    return JoinFields({entry.title, entry.shortcut, FormatInt(entry.width), FormatInt(entry.height),
                       FormatInt(entry.bitsPerPixel), FormatInt(entry.frequency),
                       entry.restoreOnExit != 0 ? "1" : "0"});
}

AppEntry ParseAppEntry(const LeadBytes& leads, std::string_view line) {
    AppEntry entry;
    std::string field;
    NextField(leads, line, entry.title);
    NextField(leads, line, entry.shortcut);
    // An empty field keeps the default: atol is only asked about text that is there.
    for (std::int32_t* number :
         {&entry.width, &entry.height, &entry.bitsPerPixel, &entry.frequency}) {
        if (NextField(leads, line, field) && !field.empty()) {
            *number = Atol(field);
        }
    }
    if (NextField(leads, line, field) && !field.empty()) {
        entry.restoreOnExit = Atol(field) != 0 ? 1 : 0;
    }
    return entry;
}

}  // namespace mirelka
