#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/ThreadSlot.h"
#include "helper/HintoraIEBHO.h"
#include "HelperObjectProbe.h"
#include "ProductKeySandbox.h"
#include "settings/ShortCutText.h"

namespace {

// A helper object whose help request only counts: the request itself is
// not what these tests look at.
class CountingBho : public CHintoraIEBHO {
public:
    int starts = 0;
    STDMETHODIMP Start() override {
        ++starts;
        return S_OK;
    }
};

class HotKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.Active());
        m_bho = new CountingBho();
        m_bho->AddRef();
    }
    void TearDown() override {
        SetModifiers(false, false, false);
        m_bho->Release();
    }

    WORD Parse(const std::wstring& text) {
        Probe(m_bho).ShortCut() = 0x0078;
        Probe(m_bho).ParseShortCut(text);
        return Probe(m_bho).ShortCut();
    }

    static void SetModifiers(bool ctrl, bool shift, bool alt) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        auto put = [&](int key, bool down) { state[key] = down ? 0x80 : 0; };
        put(VK_CONTROL, ctrl);
        put(VK_LCONTROL, ctrl);
        put(VK_SHIFT, shift);
        put(VK_LSHIFT, shift);
        put(VK_MENU, alt);
        put(VK_LMENU, alt);
        SetKeyboardState(state);
    }

    // The keystroke flags of a key event: bit 31 set while the key goes up,
    // bit 30 set for an auto-repeat of a key already down.
    static LPARAM Flags(bool release, bool repeat = false) {
        DWORD flags = 1;
        if (repeat)
            flags |= 0x40000000u;
        if (release)
            flags |= 0xC0000000u;
        return static_cast<LPARAM>(flags);
    }

    int Press(WPARAM key, bool ctrl, bool shift, bool alt, bool release) {
        SetModifiers(ctrl, shift, alt);
        int before = m_bho->starts;
        HelperObjectProbe::KeyboardProc(HC_ACTION, key, Flags(release));
        return m_bho->starts - before;
    }

    ProductKeySandbox m_sandbox;
    CountingBho* m_bho = nullptr;
};

}  // namespace

TEST_F(HotKeyTest, EnglishTextsGiveTheirWords) {
    EXPECT_EQ(0x0278, Parse(L"Ctrl+F9"));
    EXPECT_EQ(0x0278, Parse(L"F9+Ctrl"));
    EXPECT_EQ(0x077B, Parse(L"Ctrl+Shift+Alt+F12"));
    EXPECT_EQ(0x0274, Parse(L"Ctrl+Ctrl+F5"));
    EXPECT_EQ(0x0072, Parse(L"++F3++"));
    EXPECT_EQ(0x0078, Parse(L"ctrl+F9")) << "lower-case ctrl is taken as a key name, then replaced";
    EXPECT_EQ(0x0071, Parse(L"F1+F2"));
    EXPECT_EQ(0x0479, Parse(L"Alt+F10"));
    EXPECT_EQ(0x017A, Parse(L"Shift+F11"));
}

TEST_F(HotKeyTest, MalformedTextsLeaveTheWordAlone) {
    for (const wchar_t* text : {L"f9", L"F13", L"F0", L"Ctrl+A", L"Ctrl", L"", L"F", L"Ctrl+F9x", L"+", L"Shift+f1"}) {
        Probe(m_bho).ShortCut() = 0x0276;
        Probe(m_bho).ParseShortCut(text);
        EXPECT_EQ(0x0276, Probe(m_bho).ShortCut()) << testing::PrintToString(std::wstring(text));
    }
    EXPECT_EQ(0, ShortCutText::FunctionKeyFromName(L"f1"));
    EXPECT_EQ(VK_F12, ShortCutText::FunctionKeyFromName(L"F12"));
}

TEST_F(HotKeyTest, TheSettingIsParsedAtCreationAndABadOneMeansF9) {
    m_sandbox.PutProduct(L"EnglishShortCut", L"Alt+F2");
    CHintoraIEBHO* configured = new CHintoraIEBHO();
    configured->AddRef();
    EXPECT_EQ(0x0471, Probe(configured).ShortCut());
    configured->Release();

    m_sandbox.PutProduct(L"EnglishShortCut", L"Ctrl+Q");
    CHintoraIEBHO* malformed = new CHintoraIEBHO();
    malformed->AddRef();
    EXPECT_EQ(0x0078, Probe(malformed).ShortCut());
    malformed->Release();
}

TEST_F(HotKeyTest, ARequestStartsOnlyOnReleaseWithExactlyTheConfiguredModifiers) {
    // The object created last on this thread is the one the hook finds.
    ASSERT_EQ(static_cast<CHintoraIEBHO*>(m_bho), ThreadBhoSlot::Get());
    Probe(m_bho).ShortCut() = 0x0278;  // Ctrl+F9

    EXPECT_EQ(1, Press(VK_F9, true, false, false, true));
    EXPECT_EQ(0, Press(VK_F9, true, true, false, true)) << "Ctrl and Shift down";
    EXPECT_EQ(0, Press(VK_F9, true, false, true, true)) << "Ctrl and Alt down";
    EXPECT_EQ(0, Press(VK_F9, true, false, false, false)) << "key going down";
    SetModifiers(true, false, false);
    HelperObjectProbe::KeyboardProc(HC_ACTION, VK_F9, Flags(false, true));
    EXPECT_EQ(1, m_bho->starts) << "auto-repeat starts nothing";
    EXPECT_EQ(0, Press(VK_F9, false, false, false, true)) << "Ctrl released first";
    EXPECT_EQ(0, Press(VK_F8, true, false, false, true)) << "another key";
    // Negative codes are passed on untouched.
    SetModifiers(true, false, false);
    HelperObjectProbe::KeyboardProc(-1, VK_F9, Flags(true));
    EXPECT_EQ(1, m_bho->starts);

    Probe(m_bho).ShortCut() = 0x0078;  // F9 alone
    EXPECT_EQ(0, Press(VK_F9, true, false, false, true));
    EXPECT_EQ(1, Press(VK_F9, false, false, false, true));
}

TEST_F(HotKeyTest, WithoutAnObjectOnTheThreadEveryKeyPassesOn) {
    Probe(m_bho).ShortCut() = 0x0078;
    ThreadBhoSlot::Set(nullptr);
    EXPECT_EQ(0, Press(VK_F9, false, false, false, true));
    ThreadBhoSlot::Set(m_bho);
}
