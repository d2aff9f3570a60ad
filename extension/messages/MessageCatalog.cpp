#include "messages/MessageCatalog.h"

#include <cwctype>
#include <mutex>

#include "common/Handles.h"

namespace {

// Guards the catalogue pointer and the map: tab threads and the options
// dialog thread build, read and release the one catalogue.
std::recursive_mutex& CatalogLock() {
    static std::recursive_mutex lock;
    return lock;
}

std::shared_ptr<MessageCatalog> g_catalog;
// Owned by the thread that built the catalogue; records nothing else. Made
// on first use, like the lock, so no static initialiser can run before it.
KernelHandle& OwnershipMutex() {
    static KernelHandle mutex;
    return mutex;
}

}  // namespace

std::shared_ptr<MessageCatalog> MessageCatalog::Instance() {
    std::lock_guard<std::recursive_mutex> guard(CatalogLock());
    if (g_catalog)
        return g_catalog;
    OwnershipMutex().Reset(CreateMutexW(nullptr, TRUE, nullptr));
    g_catalog = std::make_shared<MessageCatalog>();
    g_catalog->LoadAll();
    return g_catalog;
}

void MessageCatalog::Release() {
    std::lock_guard<std::recursive_mutex> guard(CatalogLock());
    if (!g_catalog)
        return;
    KernelHandle& mutex = OwnershipMutex();
    DWORD wait = mutex ? WaitForSingleObject(mutex.Get(), 0) : WAIT_FAILED;
    if (wait == WAIT_OBJECT_0) {
        g_catalog.reset();
        mutex.Reset();
        return;
    }
    if (mutex)
        ReleaseMutex(mutex.Get());
}

std::wstring MessageCatalog::GetText(const std::wstring& key, const std::wstring& language) {
    std::wstring text;
    Instance()->Lookup(key, language, text);
    return text;
}

std::wstring MessageCatalog::CompositeKey(const std::wstring& key, const std::wstring& language) {
    std::wstring composite = language;
    for (auto& c : composite)
        c = static_cast<wchar_t>(towupper(c));
    composite += L'_';
    composite += key;
    return composite;
}

void MessageCatalog::Add(const std::wstring& key, const std::wstring& language, const std::wstring& text) {
    std::lock_guard<std::recursive_mutex> guard(CatalogLock());
    m_entries[CompositeKey(key, language)] = text;
}

bool MessageCatalog::Lookup(const std::wstring& key, const std::wstring& language, std::wstring& text) const {
    std::lock_guard<std::recursive_mutex> guard(CatalogLock());
    auto found = m_entries.find(CompositeKey(key, language));
    if (found == m_entries.end())
        return false;
    text = found->second;
    return true;
}

size_t MessageCatalog::Count() const {
    std::lock_guard<std::recursive_mutex> guard(CatalogLock());
    return m_entries.size();
}

void MessageCatalog::LoadAll() {
    LoadEN();
    LoadZHCHT();
    LoadZHCHS();
    LoadTR();
    LoadSV();
    LoadRU();
    LoadPT();
    LoadPL();
    LoadNO();
    LoadNL();
    LoadKO();
    LoadJA();
    LoadIT();
    LoadHU();
    LoadFRCA();
    LoadFR();
    LoadFI();
    LoadESMX();
    LoadES();
    LoadDE();
    LoadDA();
    LoadCS();
}
