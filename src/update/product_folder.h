// The product folder, Program Files\Tervane\ORIBEL, where the program files are installed.
#pragma once

#include <string>

// Returns the product folder without a trailing backslash, after making sure the maker's folder
// and the product folder exist. Empty when the Program Files folder cannot be had: callers then
// fail rather than build paths at the root of a drive.
std::wstring GetProductFolder();

// The same inside the given Program Files folder; empty, with nothing created, when it is empty.
std::wstring MakeProductFolder(const std::wstring& programFiles);
