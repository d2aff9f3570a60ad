#include "ConfigSave.h"

#include <windows.h>

#include <cstring>

#include "common/Handles.h"
#include "HttpParse.h"
#include "Request.h"
#include "ServedFolder.h"
#include "UrlPath.h"

const wchar_t kConfigSaveUrl[] = L"/radozira/configurator/saveit.qxph";
const wchar_t kConfigFileName[] = L"configdata.json.js";

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReadOnly(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
}

// Copies and renames keep a file's attributes, so a file of the save's own
// may carry the read-only mark of the configuration it came from; the mark
// would keep it from being deleted or replaced.
bool ClearReadOnly(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_READONLY))
        return true;
    return SetFileAttributesW(path.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

// Deletes one of the save's own files (".tmp", ".bak"), read-only or not.
bool DeleteOwnFile(const std::wstring& path) {
    ClearReadOnly(path);
    return DeleteFileW(path.c_str()) != FALSE;
}

bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.Valid())
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    // On disk before it takes the old file's place.
    if (ok)
        ok = FlushFileBuffers(file.Get());
    return ok != FALSE;
}

// Puts the new file under the name of an old one that a browser may still
// be reading (served files are shared for deletion for this): Windows and
// wine refuse to replace a name that is open, but let the open file be
// renamed. The old file takes the place of its copy in the backup, and goes
// on serving its reader; the new one takes the free name.
bool ReplaceOpenFile(const std::wstring& temp, const std::wstring& path, const std::wstring& backup) {
    if (!MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    return MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool ReplaceWithBackup(const std::wstring& temp, const std::wstring& path) {
    // The old file stays under its name while its backup is made, and the
    // new one takes that name in one step: whenever the program is killed,
    // the name holds the old text or the new one. Only past a reader of the
    // old file is the name free for a moment; the backup then holds the old
    // text, and start-up puts it back.
    const std::wstring backup = path + L".bak";
    const bool hadTarget = RestoreConfigBackup(path);
    // A backup that a reader still holds from an earlier save cannot be
    // replaced; without one, the name must be replaced in one step.
    const bool backedUp = hadTarget && (!Exists(backup) || DeleteOwnFile(backup)) &&
                          CopyFileW(path.c_str(), backup.c_str(), FALSE) && ClearReadOnly(backup);
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) &&
        !(backedUp && ReplaceOpenFile(temp, path, backup)))
        return false;
    // Held by a reader, the old file goes when the reader lets it go.
    DeleteOwnFile(backup);
    return true;
}

bool SaveConfigFile(const std::wstring& content, const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || !IsFolder(path.substr(0, slash == 2 ? 3 : slash)) || IsFolder(path))
        return false;
    const std::wstring temp = path + L".tmp";
    // A read-only configuration is its owner's "do not change": the save
    // leaves it as it is (a read-only file may still be renamed, as past a
    // reader), and takes away what an earlier save left beside it, which
    // the name's being there makes useless.
    if (IsReadOnly(path)) {
        DeleteOwnFile(temp);
        DeleteOwnFile(path + L".bak");
        return false;
    }
    if (Exists(temp) && !DeleteOwnFile(temp))
        return false;
    if (WriteNewFile(temp, "\xEF\xBB\xBF" + WideToUtf8(content)) && ReplaceWithBackup(temp, path))
        return true;
    // A failed save leaves the old text under its name and none of its own
    // files: the new text is dropped, and the backup once the name holds
    // the old text again.
    DeleteOwnFile(temp);
    if (RestoreConfigBackup(path))
        DeleteOwnFile(path + L".bak");
    return false;
}

}  // namespace

bool AnswerConfigSave(CRequest& request, const std::wstring& root, std::wstring& contentType,
                      std::vector<unsigned char>& answer) {
    ParseFormFields(request);
    contentType = L"text/plain; charset=utf-8";
    auto location = request.formFields.find(L"saveit_l");
    auto content = request.formFields.find(L"saveit_c");
    bool saved = location != request.formFields.end() && content != request.formFields.end() &&
                 LastUrlPart(location->second) == kConfigFileName;
    if (saved) {
        std::wstring target = ResolveInFolderOf(request.url, location->second);
        saved = UrlToPath(root, target) && SaveConfigFile(content->second, target);
    }
    const char* word = saved ? "UPDATED" : "FAILED";
    answer.insert(answer.end(), word, word + strlen(word));
    return true;
}

bool RestoreConfigBackup(const std::wstring& path) {
    if (Exists(path))
        return true;
    const std::wstring backup = path + L".bak";
    if (!Exists(backup) || !MoveFileExW(backup.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        return false;
    // Only a save makes a backup, and it copies the configuration's
    // attributes with its text; a read-only mark on it is a leftover of
    // that copy, not one its owner put on the configuration, and would
    // keep every later save from it.
    ClearReadOnly(path);
    return true;
}
