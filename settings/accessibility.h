#pragma once

// What a screen reader learns of the settings window beyond Qt's own: the
// colour sample's colour, and the names of its combo boxes. (On Linux Qt
// names a combo box by the text it holds and leaves its label to relations,
// but the font and size boxes have no label beside them, so they would be
// announced by what they hold.) Installed once, before the window's controls exist.
void installSettingsAccessibility();
