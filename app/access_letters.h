#pragma once
// Access letters (Alt + a letter) for a window's buttons and the labels of its fields, chosen
// from the captions as they stand in the language shown, so that every language gets letters of
// its own words and no two controls share one.
#include <vector>

class QWidget;

namespace lumira {

// Marks one letter of each caption in `controls` (buttons, and labels with a buddy), in order:
// the first letter of a word when it is free, else any free letter; a caption with no free letter,
// or one that already has a marked letter, stays as it is.
void AssignAccessLetters(const std::vector<QWidget*>& controls);

} // namespace lumira
