#pragma once
// What the program reads about where and on what it runs.
#include <windows.h>

#include <string>

// The folder that holds the program file, without a trailing "\".
std::wstring ProgramFolder();

// The running Windows version as GetVersionExW reports it.
OSVERSIONINFOW WindowsVersion();

// The text in the system's ANSI code page, as answer heads and the log are
// written; empty when it cannot be converted.
std::string ToAnsiCodePage(const std::wstring& text);
