#pragma once

// The windows are designed with "Monotype Corsiva" and "Comic Sans MS",
// which a Linux desktop lacks. Where a face is missing, its free look-alike
// stands in for it; a face that is installed is used as it is.
void registerFontSubstitutes();
