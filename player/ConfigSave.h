#pragma once
// What the configuration save leaves behind when it is cut short.
#include <string>

// The name of the configuration file in the served folder.
extern const wchar_t kConfigFileName[];

// Puts path + ".bak" back under path when path is missing: a save that was
// cut short may have left the only copy of the old file there. Returns
// whether path exists afterwards.
bool RestoreConfigBackup(const std::wstring& path);
