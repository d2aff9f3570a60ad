#pragma once
#include <windows.h>

#include <string>

// The program's string table entry `id` in the calling thread's UI language;
// empty when the entry is missing.
std::wstring LoadPlayerString(UINT id);
