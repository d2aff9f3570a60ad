#pragma once
// The player's string table and UI language. Strings are looked up by an
// explicit language (the one the calling thread applied, else its UI
// language), so translated texts work even where SetThreadUILanguage does
// not reach the resource loader.
#include <windows.h>

#include <string>

// The string in the calling thread's language, else in US English; empty
// when no table holds the id.
std::wstring LoadPlayerString(UINT id);
std::wstring LoadPlayerStringForLanguage(UINT id, LANGID language);

// The id of an HTTP status line's text: the status code, but for 505, whose
// id has always held the log file's message.
UINT StatusStringId(int code);

// Sets the calling thread's player language (and its UI language).
void ApplyUiLanguage(const std::wstring& code);
// The language that lookups on this thread use.
LANGID PlayerThreadLanguage();

// Reads "playerlanguage" from publishdata.json.js beside the program and
// applies it; leaves the language alone when there is none.
void LoadPlayerLanguage();

// Message box with a player string; returns MessageBoxW's result.
int ShowPlayerMessage(UINT id, UINT icon);
