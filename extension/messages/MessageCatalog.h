#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>

// The process's localized texts: language code (any case) + message key
// (case-sensitive) -> text. Built on first use from the 22 language tables;
// a release on the building thread throws it away (see Release).
class MessageCatalog {
public:
    // The catalogue, built when none exists. Holding the returned pointer keeps
    // it alive even if another thread releases it meanwhile.
    static std::shared_ptr<MessageCatalog> Instance();
    // Destroys the catalogue when called on the thread that built it, or once
    // that thread has ended and one release has freed its ownership.
    static void Release();
    // The text of a key in a language, empty when the tables lack it: what
    // every caller of Lookup does.
    static std::wstring GetText(const std::wstring& key, const std::wstring& language);

    void Add(const std::wstring& key, const std::wstring& language, const std::wstring& text);
    bool Lookup(const std::wstring& key, const std::wstring& language, std::wstring& text) const;
    size_t Count() const;

    void LoadAll();
    // One table per language, in load order; each adds the 60 keys.
    void LoadEN();
    void LoadZHCHT();
    void LoadZHCHS();
    void LoadTR();
    void LoadSV();
    void LoadRU();
    void LoadPT();
    void LoadPL();
    void LoadNO();
    void LoadNL();
    void LoadKO();
    void LoadJA();
    void LoadIT();
    void LoadHU();
    void LoadFRCA();
    void LoadFR();
    void LoadFI();
    void LoadESMX();
    void LoadES();
    void LoadDE();
    void LoadDA();
    void LoadCS();

private:
    static std::wstring CompositeKey(const std::wstring& key, const std::wstring& language);

    std::unordered_map<std::wstring, std::wstring> m_entries;
};
