#pragma once
// Start-up decisions that need no system calls: the command line, the
// content's language code and the default browser's command. No Windows
// headers.
#include <string>
#include <vector>

// The command line without the program's own name (as a program entry
// receives it): the first argument, quoted or not, and the blanks after it
// are skipped.
std::wstring CommandTail(const std::wstring& fullCommandLine);

// Splits at every blank; two blanks in a row make an empty token, and an
// empty line has no tokens. Quotation marks mean nothing.
std::vector<std::wstring> SplitCommandTokens(const std::wstring& tail);

struct PlayerCommandLine {
    bool usage = false;         // "/?", "/h", "/help": later tokens unread
    bool log = false;           // "/log" came before any usage request
    bool reset = false;
    bool showDialog = false;    // "/i"
    int browser = -1;           // last "/browser=" option, -1 when none
    std::wstring startPage;
};

PlayerCommandLine ParsePlayerCommandLine(const std::vector<std::wstring>& tokens);

// The content's language code to a locale id; 1033 for anything unknown.
unsigned LanguageCodeToLcid(const std::wstring& code);

// Finds the "playerlanguage" value in the text of publishdata.json.js.
// False when the key is missing (or stands at the very start).
bool FindPlayerLanguageCode(const std::wstring& text, std::wstring& code);

// 1 Internet Explorer, 2 Firefox, 3 Safari, from the default browser's
// open command.
int BrowserChoiceFromCommand(const std::wstring& command);
