#pragma once

using HWND = void*;

inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr int IDOK = 1;

// A message box with one OK button. With no owner (nullptr) it disables
// nothing: the other windows stay usable, and their events run while it waits.
int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type);
