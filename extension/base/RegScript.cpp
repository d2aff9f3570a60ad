#include "base/RegScript.h"

#include <cwctype>

namespace regscript {

namespace {

std::wstring Upper(const std::wstring& text) {
    std::wstring result(text);
    for (auto& c : result)
        c = static_cast<wchar_t>(towupper(c));
    return result;
}

bool SameWord(const std::wstring& a, const wchar_t* b) {
    return Upper(a) == Upper(b);
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f' || c == L'\v' || c == 0xFEFF;
}

struct Token {
    enum class Kind { End, Open, Close, Equals, Word, Quoted };
    Kind kind = Kind::End;
    std::wstring text;
    int line = 1;
};

// Thrown inside the parser only; ParseScript turns it into a ParseResult.
struct Fault {
    int line;
    std::wstring message;
};

class Lexer {
public:
    explicit Lexer(const std::wstring& text) : m_text(text) {}

    Token Next() {
        SkipBlanks();
        Token token;
        token.line = m_line;
        if (m_pos >= m_text.size())
            return token;
        wchar_t c = m_text[m_pos];
        if (c == L'{' || c == L'}' || c == L'=') {
            ++m_pos;
            token.kind = c == L'{' ? Token::Kind::Open : c == L'}' ? Token::Kind::Close : Token::Kind::Equals;
            token.text.assign(1, c);
            return token;
        }
        if (c == L'\'') {
            token.kind = Token::Kind::Quoted;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size() || m_text[m_pos] == L'\n')
                    throw Fault{token.line, L"quoted text is not closed"};
                wchar_t q = m_text[m_pos++];
                if (q == L'\'') {
                    if (m_pos < m_text.size() && m_text[m_pos] == L'\'') {
                        token.text += L'\'';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                token.text += q;
            }
            return token;
        }
        token.kind = Token::Kind::Word;
        while (m_pos < m_text.size()) {
            wchar_t w = m_text[m_pos];
            if (IsBlank(w) || w == L'{' || w == L'}' || w == L'=')
                break;
            if (w == L'\'')
                throw Fault{m_line, L"a quote inside an unquoted name"};
            token.text += w;
            ++m_pos;
        }
        return token;
    }

private:
    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) {
            if (m_text[m_pos] == L'\n')
                ++m_line;
            ++m_pos;
        }
    }

    const std::wstring& m_text;
    size_t m_pos = 0;
    int m_line = 1;
};

class Parser {
public:
    Parser(const std::wstring& text, const Replacements& replacements)
        : m_lexer(text), m_replacements(replacements) {
        Advance();
    }

    void ParseAll(Script& script) {
        while (m_token.kind != Token::Kind::End) {
            if (m_token.kind != Token::Kind::Word)
                throw Fault{m_token.line, L"expected a root key (HKCR, HKLM or HKCU), found '" + m_token.text + L"'"};
            RootEntry root;
            root.root = RootFromName(m_token);
            Advance();
            Expect(Token::Kind::Open, L"'{' after the root key");
            ParseBody(root.keys, nullptr);
            script.roots.push_back(std::move(root));
        }
    }

private:
    void Advance() { m_token = m_lexer.Next(); }

    void Expect(Token::Kind kind, const wchar_t* what) {
        if (m_token.kind != kind) {
            std::wstring found = m_token.kind == Token::Kind::End ? L"the end of the script" : L"'" + m_token.text + L"'";
            throw Fault{m_token.line, std::wstring(L"expected ") + what + L", found " + found};
        }
        Advance();
    }

    static RootKey RootFromName(const Token& token) {
        const std::wstring& n = token.text;
        if (SameWord(n, L"HKCR") || SameWord(n, L"HKEY_CLASSES_ROOT"))
            return RootKey::ClassesRoot;
        if (SameWord(n, L"HKLM") || SameWord(n, L"HKEY_LOCAL_MACHINE"))
            return RootKey::LocalMachine;
        if (SameWord(n, L"HKCU") || SameWord(n, L"HKEY_CURRENT_USER"))
            return RootKey::CurrentUser;
        throw Fault{token.line, L"unknown root key '" + n + L"'"};
    }

    // Replaces %NAME% references in the text of one token.
    std::wstring Expand(const std::wstring& text, int line) const {
        std::wstring result;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t open = text.find(L'%', pos);
            if (open == std::wstring::npos) {
                result.append(text, pos, std::wstring::npos);
                break;
            }
            result.append(text, pos, open - pos);
            size_t close = text.find(L'%', open + 1);
            if (close == std::wstring::npos)
                throw Fault{line, L"'%' without a closing '%' in '" + text + L"'"};
            if (close == open + 1) {
                result += L'%';
            } else {
                std::wstring name = text.substr(open + 1, close - open - 1);
                const std::wstring* value = m_replacements.Find(name);
                if (!value)
                    throw Fault{line, L"unknown replacement variable %" + name + L"%"};
                result += *value;
            }
            pos = close + 1;
        }
        return result;
    }

    bool IsName() const { return m_token.kind == Token::Kind::Word || m_token.kind == Token::Kind::Quoted; }

    bool IsKeyword(const wchar_t* word) const {
        return m_token.kind == Token::Kind::Word && SameWord(m_token.text, word);
    }

    // After '=': a type letter and the value itself.
    void ParseTypedValue(ValueEntry& value) {
        if (m_token.kind != Token::Kind::Word)
            throw Fault{m_token.line, L"expected a value type (s or d) after '='"};
        if (SameWord(m_token.text, L"s"))
            value.type = ValueEntry::Type::String;
        else if (SameWord(m_token.text, L"d"))
            value.type = ValueEntry::Type::Dword;
        else
            throw Fault{m_token.line, L"unsupported value type '" + m_token.text + L"'"};
        Advance();
        if (!IsName())
            throw Fault{m_token.line, L"expected a value after the type"};
        int line = m_token.line;
        std::wstring text = Expand(m_token.text, line);
        Advance();
        if (value.type == ValueEntry::Type::String) {
            value.text = text;
            return;
        }
        if (!ParseNumber(text, value.number))
            throw Fault{line, L"'" + text + L"' is not a 32-bit number"};
    }

    static bool ParseNumber(const std::wstring& text, uint32_t& number) {
        unsigned base = 10;
        size_t pos = 0;
        if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
            base = 16;
            pos = 2;
        }
        if (pos >= text.size())
            return false;
        uint64_t result = 0;
        for (; pos < text.size(); ++pos) {
            wchar_t c = text[pos];
            unsigned digit;
            if (c >= L'0' && c <= L'9')
                digit = c - L'0';
            else if (base == 16 && c >= L'a' && c <= L'f')
                digit = c - L'a' + 10;
            else if (base == 16 && c >= L'A' && c <= L'F')
                digit = c - L'A' + 10;
            else
                return false;
            result = result * base + digit;
            if (result > 0xFFFFFFFFull)
                return false;
        }
        number = static_cast<uint32_t>(result);
        return true;
    }

    // Entries up to the closing brace; values are allowed only inside a key.
    void ParseBody(std::vector<KeyEntry>& keys, std::vector<ValueEntry>* values) {
        for (;;) {
            if (m_token.kind == Token::Kind::Close) {
                Advance();
                return;
            }
            if (m_token.kind == Token::Kind::End)
                throw Fault{m_token.line, L"missing '}' at the end of the script"};
            if (IsKeyword(L"val")) {
                if (!values)
                    throw Fault{m_token.line, L"a value directly under a root key"};
                Advance();
                values->push_back(ParseValue());
                continue;
            }
            keys.push_back(ParseKey());
        }
    }

    ValueEntry ParseValue() {
        if (!IsName())
            throw Fault{m_token.line, L"expected a value name after 'val'"};
        ValueEntry value;
        value.name = Expand(m_token.text, m_token.line);
        Advance();
        Expect(Token::Kind::Equals, L"'=' after the value name");
        ParseTypedValue(value);
        return value;
    }

    KeyEntry ParseKey() {
        KeyFlag flag = KeyFlag::Normal;
        while (IsKeyword(L"NoRemove") || IsKeyword(L"ForceRemove")) {
            if (flag != KeyFlag::Normal)
                throw Fault{m_token.line, L"more than one of NoRemove and ForceRemove on one key"};
            flag = IsKeyword(L"NoRemove") ? KeyFlag::NoRemove : KeyFlag::ForceRemove;
            Advance();
        }
        if (IsKeyword(L"Delete"))
            throw Fault{m_token.line, L"the keyword Delete is not supported"};
        if (!IsName())
            throw Fault{m_token.line, L"expected a key name, found '" + m_token.text + L"'"};

        // "A\B\C" names nested keys; the ones on the way are only made to
        // exist, so removal never reaches keys the script does not own.
        int line = m_token.line;
        std::vector<std::wstring> parts;
        const std::wstring& raw = m_token.text;
        size_t start = 0;
        for (;;) {
            size_t slash = raw.find(L'\\', start);
            std::wstring part = Expand(raw.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start), line);
            if (part.empty())
                throw Fault{line, L"empty key name in '" + raw + L"'"};
            if (part.find(L'\\') != std::wstring::npos)
                throw Fault{line, L"a replacement put '\\' into the key name '" + raw + L"'"};
            parts.push_back(part);
            if (slash == std::wstring::npos)
                break;
            start = slash + 1;
        }
        Advance();

        KeyEntry leaf;
        leaf.name = parts.back();
        leaf.flag = flag;
        leaf.line = line;
        if (m_token.kind == Token::Kind::Equals) {
            Advance();
            leaf.hasDefault = true;
            ParseTypedValue(leaf.defaultValue);
        }
        if (m_token.kind == Token::Kind::Open) {
            Advance();
            ParseBody(leaf.children, &leaf.values);
        }
        for (size_t i = parts.size() - 1; i > 0; --i) {
            KeyEntry outer;
            outer.name = parts[i - 1];
            outer.flag = KeyFlag::NoRemove;
            outer.line = line;
            outer.children.push_back(std::move(leaf));
            leaf = std::move(outer);
        }
        return leaf;
    }

    Lexer m_lexer;
    const Replacements& m_replacements;
    Token m_token;
};

}  // namespace

bool Replacements::Add(const std::wstring& name, const std::wstring& value) {
    if (name.empty())
        return false;
    for (wchar_t c : name) {
        if (c == L'%' || IsBlank(c))
            return false;
    }
    m_values[Upper(name)] = value;
    return true;
}

const std::wstring* Replacements::Find(const std::wstring& name) const {
    auto it = m_values.find(Upper(name));
    return it == m_values.end() ? nullptr : &it->second;
}

ParseResult ParseScript(const std::wstring& text, const Replacements& replacements, Script& script) {
    ParseResult result;
    Script parsed;
    try {
        Parser parser(text, replacements);
        parser.ParseAll(parsed);
    } catch (const Fault& fault) {
        result.line = fault.line;
        result.error = L"line " + std::to_wstring(fault.line) + L": " + fault.message;
        return result;
    }
    script = std::move(parsed);
    result.ok = true;
    return result;
}

}  // namespace regscript
