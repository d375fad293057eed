// Where the art and voice files are read from.
#pragma once

#include <string>

// "" for the working directory, else a folder ending in a separator.
extern std::string AssetFolder;

// The working directory when it holds the art, else the "assets" folder
// beside the executable, else the installed data folder (its place relative
// to the executable's folder is fixed by the build); false (with the folders
// searched in `searched`) when none does.
bool FindAssetFolder(std::string* searched);

// A file name as the game opens it.
std::string AssetPath(const char* fileName);
