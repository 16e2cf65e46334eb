#pragma once

#include <QString>

// Files installed with the program: the default background picture and the
// help page. Found in the installed data folder, or beside the build when the
// program runs from its build folder.
QString defaultPicturePath();
QString helpPagePath();
