// The product's name as the setup shows it, and the program it installs and starts. The texts
// that hold the name in a sentence build it from kProductName.
#pragma once

namespace app {

inline constexpr wchar_t kProductName[] = L"ORIBEL";
// The title of the wizard and of every message box it shows.
inline constexpr wchar_t kSetupCaption[] = L"Install ORIBEL";
// The product's program in its folder; a running product is known by this image name.
inline constexpr wchar_t kProductImageName[] = L"ORIBEL.exe";

} // namespace app
