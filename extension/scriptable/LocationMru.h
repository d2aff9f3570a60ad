#pragma once
// The content locations configured on this machine, newest first, kept for
// other readers under HKLM "Software\Veltrane\Norvik\HintoraLocationMRU":
// subkeys "0" (newest) to "9", each with the string values "Title" and "Url".
#include <windows.h>

#include <string>
#include <vector>

struct LocationEntry {
    std::wstring address;
    std::wstring title;
};

extern const wchar_t kLocationMruKey[];
const size_t kLocationMruSize = 10;

// Appends the stored entries in position order; a missing key reads as an
// empty list, entries without both texts are passed over. Always 0.
LONG ReadLocationMru(std::vector<LocationEntry>& list);

// Puts (address, title) at the head of the list and rewrites it. The result
// is the code of opening the list key just before the entries are written
// (0 when it exists); an empty address changes nothing and gives
// ERROR_INVALID_PARAMETER.
LONG AddToLocationMru(const std::wstring& address, const std::wstring& title);

// "Content " followed by a digit: a title the list numbers by position.
bool IsDefaultTitle(const std::wstring& title);

// The list after adding (address, title) in front of the old one: the old
// entry for the same address is dropped when its title is a default one or
// the same title, and old entries without an address are dropped; at most
// ten old entries are looked at.
std::vector<LocationEntry> MergeLocationMru(const std::vector<LocationEntry>& old, const std::wstring& address,
                                            const std::wstring& title);
