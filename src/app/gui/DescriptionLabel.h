#pragma once

class QLabel;
class QWidget;

namespace tusko::gui {

// The page a tree view shows for a node that only describes itself: wrapped
// text from the top left, named "descriptionPage".
QLabel* NewDescriptionLabel(QWidget* parent);

}  // namespace tusko::gui
