#include "store/AppEntry.h"

#include "store/RecordFile.h"
#include "text/MbString.h"

namespace mirelka {

void FormatAppEntry(RecordFile& file, const AppEntry& entry) {
    file.ClearLine();
    file.AppendField(entry.title);
    file.AppendField(entry.shortcut);
    file.AppendField(FormatInt(entry.width));
    file.AppendField(FormatInt(entry.height));
    file.AppendField(FormatInt(entry.bitsPerPixel));
    file.AppendField(FormatInt(entry.frequency));
    file.AppendField(entry.restoreOnExit != 0 ? "1" : "0");
}

void ParseAppEntry(RecordFile& file, AppEntry& entry) {
    entry.Reset();
    std::string field;
    file.NextField(entry.title);
    file.NextField(entry.shortcut);
    // An empty field keeps the default: atol is only asked about text that is there.
    for (std::int32_t* number :
         {&entry.width, &entry.height, &entry.bitsPerPixel, &entry.frequency}) {
        if (file.NextField(field) && !field.empty()) {
            *number = Atol(field);
        }
    }
    if (file.NextField(field) && !field.empty()) {
        entry.restoreOnExit = Atol(field) != 0 ? 1 : 0;
    }
}

}  // namespace mirelka
