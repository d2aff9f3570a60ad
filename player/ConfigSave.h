#pragma once
// The private URL through which the content saves "configdata.json.js" in
// the served folder, and what such a save leaves behind when it is cut short.
#include <string>
#include <vector>

class CRequest;

// The URL that saves, matched exactly.
extern const wchar_t kConfigSaveUrl[];
// The name of the configuration file in the served folder.
extern const wchar_t kConfigFileName[];

// Answers a request to kConfigSaveUrl: the form field "saveit_c" is written
// to the file that "saveit_l" names, relative to the folder of the request's
// URL inside root; only kConfigFileName may be written. The answer is
// "UPDATED" or "FAILED". The text goes to a temporary file first, then takes
// the old file's place with a backup of it.
bool AnswerConfigSave(CRequest& request, const std::wstring& root, std::wstring& contentType,
                      std::vector<unsigned char>& answer);

// Puts path + ".bak" back under path when path is missing: a save that was
// cut short may have left the only copy of the old file there; the file
// put back is not read-only. Returns whether path exists afterwards.
bool RestoreConfigBackup(const std::wstring& path);
