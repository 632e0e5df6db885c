#pragma once

namespace tavorim {

// The platform's style with the program's two-pixel focus frame (see FocusFrame.h), disabled
// buttons that lie flat, and without the menu bars' overflow arrow, which no window needs: Qt
// reads that picture for every menu bar in a way that loads every image plugin.
void useProgramStyle();

} // namespace tavorim
