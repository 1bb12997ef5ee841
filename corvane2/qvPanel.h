#pragma once
// Small pieces every page is built from.

#include <QString>

class QGridLayout;
class QLabel;
class QWidget;

namespace qvPanel {

// A read-only sunken panel for a value the program fills in.
QLabel* valuePanel(QWidget* parent);
// A caption with a mnemonic for `buddy`.
QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent);
// The framed hint area of a page.
QLabel* hintImage(QWidget* parent);
// Adds "caption: panel" as row `row` of `grid`, returning the panel.
QLabel* addValueRow(QGridLayout* grid, int row, const QString& text, QWidget* parent);

}  // namespace qvPanel
