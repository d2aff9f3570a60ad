#pragma once
// Puts a function of the test's into this program's import slot of a system
// function while it lives, and the original back at its end. The library is
// linked into the test program, so its calls go through these slots: a test
// sees what the library hands the system (a timer's period, a value's byte
// count) where the system's answer would not show it.
#include <windows.h>

#include <cstring>

class ImportPatch {
public:
    ImportPatch(const char* function, void* replacement) : m_slot(FindImport(function)) {
        if (!m_slot)
            return;
        m_original = *m_slot;
        Put(replacement);
    }
    ~ImportPatch() {
        if (m_slot)
            Put(m_original);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Active() const { return m_slot != nullptr; }
    template <typename Function>
    Function Original() const {
        return reinterpret_cast<Function>(m_original);
    }

private:
    // The slot of a function imported by name, from whichever module.
    static void** FindImport(const char* function) {
        BYTE* image = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(image + reinterpret_cast<IMAGE_DOS_HEADER*>(image)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!imports.VirtualAddress)
            return nullptr;
        for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress); module->Name;
             ++module) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(image + module->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(image + module->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(image + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                    return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
        return nullptr;
    }
    void Put(void* target) {
        DWORD protection = 0;
        VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &protection);
        *m_slot = target;
        VirtualProtect(m_slot, sizeof(void*), protection, &protection);
    }

    void** m_slot;
    void* m_original = nullptr;
};
