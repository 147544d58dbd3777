#pragma once
#include <string>

// Plain decimal digits, a minus sign only for negative values.
inline std::string IntToStr(int value) { return std::to_string(value); }
