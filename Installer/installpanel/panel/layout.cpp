#include "panel/layout.h"

namespace NimboNS::installpanel {

RowLayout LayOutRows(const bool offered[kOptionRows], const int rowTops[kOptionRows], int endTop) {
    RowLayout layout;
    int slot = 0;
    for (int row = 0; row < kOptionRows; ++row) {
        if (!offered[row]) continue;
        layout.shown[row] = true;
        layout.shift[row] = rowTops[slot] - rowTops[row];
        ++slot;
    }
    layout.expandedHeight = slot < kOptionRows ? rowTops[slot] : endTop;
    return layout;
}

}  // namespace NimboNS::installpanel
