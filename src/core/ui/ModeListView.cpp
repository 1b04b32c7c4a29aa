#include "ui/ModeListView.h"

#include <vector>

#include "display/ModeList.h"
#include "display/ModeRules.h"
#include "ports/DialogView.h"
#include "ports/ModeListAccess.h"
#include "resources/ResourceIds.h"

namespace mirelka {

void ModeListView::Show(const ModeList& modes) {
    for (std::size_t i = 0; i < modes.Count(); ++i) {
        view_.ListAdd(IDC_MODE_LIST, ModeListLabel(modes.At(i)));
    }
    TicksChanged(modes);
}

void ModeListView::TicksChanged(const ModeList& modes) {
    view_.ListRedraw(IDC_MODE_LIST);
    std::vector<bool> ticks(modes.Count());
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        ticks[i] = modes.IsTicked(i);
    }
    access_.SetTicks(ticks);
}

void ModeListView::Toggled(const ModeList& modes, std::size_t index) {
    view_.ListRedraw(IDC_MODE_LIST);
    access_.Toggled(index, modes.IsTicked(index));
}

}  // namespace mirelka
