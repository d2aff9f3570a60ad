#pragma once
// Registration scripts ("REGISTRY" resources): the text form and its parse
// tree. Pure C++ so the grammar can be tested without touching a registry;
// Registrar.h runs the tree against the registry.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove '%CLSID%' = s 'Description'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Names are bare words or single-quoted text ('' stands for one quote);
// bare words end at blanks, braces and '='. %NAME% is replaced inside every
// name and value after the text has been split into tokens, so a replacement
// can never change the structure of the script; %% gives one percent sign.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace regscript {

enum class RootKey { ClassesRoot, LocalMachine, CurrentUser };

enum class KeyFlag {
    Normal,       // removed on unregistration once nothing else remains in it
    NoRemove,     // created when missing, never removed
    ForceRemove,  // removed with its subtree before it is written, and on unregistration
};

struct ValueEntry {
    enum class Type { String, Dword };
    std::wstring name;  // empty: the key's default value
    Type type = Type::String;
    std::wstring text;
    uint32_t number = 0;
};

struct KeyEntry {
    std::wstring name;  // one key name, never a path
    KeyFlag flag = KeyFlag::Normal;
    bool hasDefault = false;
    ValueEntry defaultValue;
    std::vector<ValueEntry> values;
    std::vector<KeyEntry> children;
    int line = 0;
};

struct RootEntry {
    RootKey root = RootKey::ClassesRoot;
    std::vector<KeyEntry> keys;
};

struct Script {
    std::vector<RootEntry> roots;
};

// Replacement variables; names are matched without regard to case.
class Replacements {
public:
    // False for a name that could never be referenced (empty, or holding
    // '%' or blanks).
    bool Add(const std::wstring& name, const std::wstring& value);
    const std::wstring* Find(const std::wstring& name) const;
    void Clear() { m_values.clear(); }

private:
    std::map<std::wstring, std::wstring> m_values;  // upper-cased name -> value
};

struct ParseResult {
    bool ok = false;
    int line = 0;         // line of the fault, 1-based
    std::wstring error;   // "line N: ..." ready for the trace
};

// Parses the whole text before anything is written: a malformed script, or
// one that names an unknown variable, yields no tree at all.
ParseResult ParseScript(const std::wstring& text, const Replacements& replacements, Script& script);

}  // namespace regscript
