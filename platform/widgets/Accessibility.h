#pragma once

namespace tavorim {

// What screen readers are told of the widgets Qt lacks:
// - a gauge is a progress bar whose value is its percentage;
// - a bevelled panel with a caption and no controls inside is a text, whose name is its
//   caption, or its own name with the caption as description; the caption is read when asked
//   for, so a clock that changes every second sends no event;
// - a link label is a link that can be pressed;
// - a pull-down menu's item with a check mark is a check box, checked or not, so its state is
//   said either way (the menus and their items are ours for that).
// Installed once for the application; each of these widgets calls it when it is made.
void installWidgetAccessibility();

} // namespace tavorim
