#pragma once

namespace tavorim {

// What screen readers are told of the widgets Qt lacks (gauge, bevelled panel, link label, checked
// menu item); installed once, called by each of these widgets when it is made.
void installWidgetAccessibility();

} // namespace tavorim
