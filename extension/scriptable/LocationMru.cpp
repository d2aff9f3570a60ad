#include "scriptable/LocationMru.h"

#include "base/Logger.h"
#include "base/Registry.h"

#include <algorithm>

const wchar_t kLocationMruKey[] = L"Software\\Veltrane\\Norvik\\HintoraLocationMRU";

namespace {

// Reads a string value as stored, cut at its first zero; false when it is
// missing or not a string.
bool ReadText(HKEY key, const wchar_t* name, std::wstring& text) {
    // The value may grow between asking its size and reading it when
    // another process rewrites the list: ask again then.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return false;
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
        DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        text.assign(buffer.data());
        return true;
    }
    return false;
}

// Subkey names of up to 255 characters. A failing index is passed over;
// a key deleted under the open handle fails every index, so a run of
// failures ends the walk.
std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    int failuresInARow = 0;
    for (DWORD index = 0; failuresInARow < 16; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        LONG rc = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS || rc == ERROR_KEY_DELETED)
            break;
        if (rc == ERROR_SUCCESS) {
            names.emplace_back(name, length);
            failuresInARow = 0;
        } else {
            ++failuresInARow;
        }
    }
    return names;
}

// Decimal position of an entry subkey name, or -1.
long PositionOf(const std::wstring& name) {
    if (name.empty() || name.size() > 9)
        return -1;
    long value = 0;
    for (wchar_t c : name) {
        if (c < L'0' || c > L'9')
            return -1;
        value = value * 10 + (c - L'0');
    }
    return value;
}

// "%s\%d" of the list key and the position.
std::wstring EntryKeyPath(size_t position) {
    return std::wstring(kLocationMruKey) + L"\\" + std::to_wstring(position);
}

// "Content %d" of the position.
std::wstring PositionTitle(size_t position) {
    return L"Content " + std::to_wstring(position);
}

}  // namespace

bool IsDefaultTitle(const std::wstring& title) {
    return title.size() >= 9 && title.compare(0, 8, L"Content ") == 0 && title[8] >= L'0' && title[8] <= L'9';
}

LONG ReadLocationMru(std::vector<LocationEntry>& list) {
    RegistryKey listKey = OpenRegistryKey(HKEY_LOCAL_MACHINE, kLocationMruKey, KEY_READ);
    if (!listKey)
        return 0;

    std::vector<std::wstring> names = SubkeyNames(listKey.Get());
    // The registry lists "10" before "2": entries are taken by position.
    std::stable_sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        long pa = PositionOf(a);
        long pb = PositionOf(b);
        if (pa < 0 || pb < 0)
            return pa >= 0 && pb < 0;
        return pa < pb;
    });

    for (const auto& name : names) {
        RegistryKey entryKey = OpenRegistryKey(listKey.Get(), name.c_str(), KEY_READ);
        if (!entryKey)
            continue;
        LocationEntry entry;
        if (!ReadText(entryKey.Get(), L"Title", entry.title) || !ReadText(entryKey.Get(), L"Url", entry.address))
            continue;
        list.push_back(entry);
    }
    return 0;
}

std::vector<LocationEntry> MergeLocationMru(const std::vector<LocationEntry>& old, const std::wstring& address,
                                            const std::wstring& title) {
    std::vector<LocationEntry> merged{{address, title}};
    for (size_t i = 0; i < old.size() && i < kLocationMruSize; ++i) {
        const LocationEntry& entry = old[i];
        // A stored entry with an empty address cannot be written back: its
        // place would keep the address of the entry that was there before.
        if (entry.address.empty())
            continue;
        if (entry.address == address && (IsDefaultTitle(entry.title) || entry.title == title))
            continue;
        merged.push_back(entry);
    }
    return merged;
}

LONG AddToLocationMru(const std::wstring& address, const std::wstring& title) {
    // An entry without an address could never be read back; storing it
    // would only push a real entry off the end.
    if (address.empty())
        return ERROR_INVALID_PARAMETER;

    std::vector<LocationEntry> old;
    ReadLocationMru(old);
    std::vector<LocationEntry> merged = MergeLocationMru(old, address, title);
    size_t count = std::min(merged.size(), kLocationMruSize);

    RegistryKey listKey;
    CreateKey(HKEY_LOCAL_MACHINE, kLocationMruKey, KEY_READ | KEY_WRITE, listKey);
    listKey.Reset();
    LONG result = OpenKey(HKEY_LOCAL_MACHINE, kLocationMruKey, KEY_READ, listKey);
    listKey.Reset();

    // The list is rewritten in place rather than deleted and recreated, and
    // from the last position up: an entry moving one place down is written
    // at its new place before its old place is overwritten, so a reader (or
    // a crash) in between never finds the list without it.
    Registry registry(HKEY_LOCAL_MACHINE);
    for (size_t p = count; p-- > 0;) {
        const LocationEntry& entry = merged[p];
        std::wstring text = entry.title.empty() || IsDefaultTitle(entry.title) ? PositionTitle(p) : entry.title;
        std::wstring path = EntryKeyPath(p);
        registry.CreateOrOpenKeyAndWriteStringValue(path, L"Title", text);
        registry.CreateOrOpenKeyAndWriteStringValue(path, L"Url", entry.address);
    }

    // Whatever is no entry of the new list goes: positions past its end and
    // subkeys of other names.
    if (OpenKey(HKEY_LOCAL_MACHINE, kLocationMruKey, KEY_READ | KEY_WRITE, listKey) == ERROR_SUCCESS) {
        std::vector<std::wstring> stale;
        for (const auto& child : SubkeyNames(listKey.Get())) {
            long position = PositionOf(child);
            if (position < 0 || static_cast<size_t>(position) >= count || child != std::to_wstring(position))
                stale.push_back(child);
        }
        for (const auto& child : stale) {
            LONG rc = RegDeleteTreeW(listKey.Get(), child.c_str());
            if (rc != ERROR_SUCCESS)
                g_logger.LogError(g_logger.Log(L"AddToLocationMru() - delete [%s]", child.c_str()), rc, true);
        }
    }
    return result;
}
