#pragma once

namespace tavorim {

// The platform's style without the menu bars' overflow arrow, which no window needs: Qt reads that
// picture for every menu bar in a way that loads every image plugin.
void useProgramStyle();

} // namespace tavorim
