#pragma once

namespace aptui {

// Lets screen readers reach the program's open pop-up menus. Qt names the application as a pop-up menu's parent
// but leaves pop-up windows out of the application's children, so a reader walking the tree down from the
// application never met the menu. Installs, once, an application interface that lists the visible pop-up menus
// after the windows. GUI thread only; call it once an application object exists.
void listPopupMenusForScreenReaders();

} // namespace aptui
