#pragma once

class QTabWidget;

namespace tusko::gui {

// F6 and Shift+F6: the focus steps through the panes of the current tab (the
// tree and the page of a split page, or a page as one pane) and then the tab
// bar, and round again; `step` is 1 for the next pane and -1 for the one
// before. A pane takes the focus at the widget that last had it there, else
// at its first widget in the Tab order; a pane that takes none is passed over.
void MoveFocusToPane(QTabWidget& tabs, int step);

}  // namespace tusko::gui
