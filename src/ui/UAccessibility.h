#pragma once

#include <string>
#include <vector>

class QWidget;

// The input controls of window that a screen reader could not name: neither the buddy
// of a label nor given an accessible name. Each as its object name (or class).
std::vector<std::string> UnnamedInputControls(QWidget* window);
// The buttons and tab pages of window without a caption.
std::vector<std::string> UncaptionedButtonsAndPages(QWidget* window);
