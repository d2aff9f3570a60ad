#include <gtest/gtest.h>

#include "base/RegScript.h"

#include <string>
#include <vector>

using namespace regscript;

namespace {

Replacements Vars() {
    Replacements vars;
    vars.Add(L"Module", L"C:\\Program Files\\Hintora\\HintoraIE.dll");
    vars.Add(L"CLSID_X", L"{11111111-2222-3333-4444-555555555555}");
    return vars;
}

Script Parse(const std::wstring& text, const Replacements& vars = Vars()) {
    Script script;
    ParseResult result = ParseScript(text, vars, script);
    EXPECT_TRUE(result.ok) << result.error;
    return script;
}

}  // namespace

TEST(RegScript, BuildsTheTreeOfKeysValuesAndFlags) {
    Script script = Parse(LR"(
HKCR
{
    NoRemove CLSID
    {
        ForceRemove '%CLSID_X%' = s 'Thing'
        {
            InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' }
        }
    }
}
hklm { ForceRemove 'SOFTWARE\Vendor\Key' { val Number = d '42' val Hex = d '0xFFFFFFFF' val '' = s 'dflt' } }
)");
    ASSERT_EQ(2u, script.roots.size());
    EXPECT_EQ(RootKey::ClassesRoot, script.roots[0].root);
    EXPECT_EQ(RootKey::LocalMachine, script.roots[1].root);

    const KeyEntry& clsid = script.roots[0].keys.at(0);
    EXPECT_EQ(KeyFlag::NoRemove, clsid.flag);
    EXPECT_FALSE(clsid.hasDefault);
    const KeyEntry& object = clsid.children.at(0);
    EXPECT_EQ(L"{11111111-2222-3333-4444-555555555555}", object.name);
    EXPECT_EQ(KeyFlag::ForceRemove, object.flag);
    EXPECT_EQ(L"Thing", object.defaultValue.text);
    EXPECT_EQ(6, object.line);
    const KeyEntry& server = object.children.at(0);
    EXPECT_EQ(KeyFlag::Normal, server.flag);
    EXPECT_EQ(L"C:\\Program Files\\Hintora\\HintoraIE.dll", server.defaultValue.text);
    EXPECT_EQ(L"Apartment", server.values.at(0).text);

    // A path names nested keys; only its last key carries the flag, the
    // ones on the way are just made to exist.
    const KeyEntry& software = script.roots[1].keys.at(0);
    EXPECT_EQ(L"SOFTWARE", software.name);
    EXPECT_EQ(KeyFlag::NoRemove, software.flag);
    EXPECT_EQ(KeyFlag::NoRemove, software.children.at(0).flag);
    const KeyEntry& key = software.children.at(0).children.at(0);
    EXPECT_EQ(L"Key", key.name);
    EXPECT_EQ(KeyFlag::ForceRemove, key.flag);
    ASSERT_EQ(3u, key.values.size());
    EXPECT_EQ(42u, key.values[0].number);
    EXPECT_EQ(0xFFFFFFFFu, key.values[1].number);
    EXPECT_EQ(L"", key.values[2].name) << "an empty value name is the default value";

    EXPECT_TRUE(Parse(L"  \r\n\t ").roots.empty());
}

TEST(RegScript, ValueWithoutTypeLetterIsRejectedAndQuotedTextIsLiteral) {
    Script script;
    ParseResult bad = ParseScript(LR"(HKCU { 'k' = 'text' })", Vars(), script);
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(std::wstring::npos, bad.error.find(L"value type")) << bad.error;

    script = Parse(LR"(HKCU { '{A}' = s 'It''s {here} = %%' { val 'a b' = s '' } Bare{val x=s y} })");
    const auto& keys = script.roots.at(0).keys;
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(L"{A}", keys[0].name);
    EXPECT_EQ(L"It's {here} = %", keys[0].defaultValue.text);
    EXPECT_EQ(L"a b", keys[0].values.at(0).name);
    EXPECT_EQ(L"", keys[0].values.at(0).text);
    EXPECT_EQ(L"Bare", keys[1].name) << "a bare word ends at a brace";
    EXPECT_EQ(L"y", keys[1].values.at(0).text);
}

TEST(RegScript, ReplacementsIgnoreCaseAndNeverChangeTheStructure) {
    Replacements vars;
    EXPECT_TRUE(vars.Add(L"Module", L"C:\\O'Brien\\x } { = .dll"));
    EXPECT_TRUE(vars.Add(L"GUID_X", L"{G}"));
    EXPECT_FALSE(vars.Add(L"", L"x"));
    EXPECT_FALSE(vars.Add(L"A%B", L"x"));
    EXPECT_FALSE(vars.Add(L"A B", L"x"));
    ASSERT_NE(nullptr, vars.Find(L"module"));
    ASSERT_NE(nullptr, vars.Find(L"MODULE"));
    EXPECT_EQ(nullptr, vars.Find(L"Modul"));

    Script script = Parse(LR"(HKCR { '%guid_x%' = s '%MODULE%,201' { val 'x%Guid_X%y' = s '100%%' } })", vars);
    const KeyEntry& key = script.roots.at(0).keys.at(0);
    EXPECT_EQ(L"{G}", key.name);
    EXPECT_EQ(L"C:\\O'Brien\\x } { = .dll,201", key.defaultValue.text)
        << "a quote or brace in a value must not reach the grammar";
    EXPECT_EQ(L"x{G}y", key.values.at(0).name);
    EXPECT_EQ(L"100%", key.values.at(0).text);

    vars.Add(L"Module", L"D:\\other.dll");
    EXPECT_EQ(L"D:\\other.dll", *vars.Find(L"module")) << "adding again replaces the value";
}

TEST(RegScript, MalformedScriptsAreRejectedWithTheLineOfTheFault) {
    struct Case {
        const wchar_t* text;
        int line;
        const wchar_t* message;
    };
    const Case cases[] = {
        {L"HKCR\n{\n  Key\n", 4, L"missing '}'"},
        {L"HKCR\n{\n}\n}", 4, L"expected a root key"},
        {L"HKXX { }", 1, L"unknown root key 'HKXX'"},
        {L"HKCR Key { }", 1, L"expected '{' after the root key"},
        {L"HKCR { val x = s 'y' }", 1, L"a value directly under a root key"},
        {L"HKCR { Key { val x s 'y' } }", 1, L"expected '=' after the value name"},
        {L"HKCR { Key = b '00' }", 1, L"unsupported value type 'b'"},
        {L"HKCR { Key = s }", 1, L"expected a value after the type"},
        {L"HKCR {\n Key = s 'open\n }", 2, L"quoted text is not closed"},
        {L"HKCR { NoRemove ForceRemove Key }", 1, L"more than one of NoRemove and ForceRemove"},
        {L"HKCR { Delete Key }", 1, L"Delete is not supported"},
        {L"HKCR { = s 'x' }", 1, L"expected a key name"},
        {L"HKCR { 'a\\\\b' }", 1, L"empty key name"},
        {L"HKCR { '' }", 1, L"empty key name"},
        {L"HKCR { Key { val n = d '4294967296' } }", 1, L"not a 32-bit number"},
        {L"HKCR { Key { val n = d '12a' } }", 1, L"not a 32-bit number"},
        {L"HKCR { Key { val n = d '-1' } }", 1, L"not a 32-bit number"},
        {L"HKCR { Key = s '%NOPE%' }", 1, L"unknown replacement variable %NOPE%"},
        {L"HKCR { Key = s '50%' }", 1, L"without a closing '%'"},
        {L"HKCR { '%SLASHED%' }", 1, L"put '\\' into the key name"},
        {L"HKCR { Ke'y }", 1, L"a quote inside an unquoted name"},
    };
    Replacements vars = Vars();
    vars.Add(L"SLASHED", L"a\\b");
    for (const auto& c : cases) {
        Script script;
        script.roots.resize(3);
        ParseResult result = ParseScript(c.text, vars, script);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(c.line, result.line) << c.text << " -> " << result.error;
        EXPECT_NE(std::wstring::npos, result.error.find(c.message)) << c.text << " -> " << result.error;
        EXPECT_EQ(0u, result.error.find(L"line ")) << result.error;
        EXPECT_EQ(3u, script.roots.size()) << "a failed parse leaves the caller's tree alone";
    }
}
