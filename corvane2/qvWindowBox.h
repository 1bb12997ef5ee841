#pragma once
// Message boxes of the window library, with the button sets, icons and
// answers of platform/qvMessageBox.h, so the engine's boxes and the window's
// own look and answer alike.

#include <string>

class QWidget;

// Shows a modal box over `parent` and returns the answer. Call on the window
// thread only.
int qvShowWindowBox(QWidget* parent, const std::string& text, const std::string& caption, int kind);
