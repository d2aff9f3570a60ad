#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/JsonText.h"
#include "BrowserFakes.h"
#include "helper/HintoraIEBHO.h"
#include "HelperObjectProbe.h"
#include "messages/MessageCatalog.h"
#include "ProductKeySandbox.h"
#include "TabTestSupport.h"
#include "ui/MessageWindows.h"

using ::testing::_;
using ::testing::Invoke;
using ::testing::Return;

namespace {

const wchar_t kError013[] = L"013. <BR />Couldn't open the gateway window.";

// The window opens over the tab's top window, which records the address and
// whether the request was still busy while the window was up.
class MessageWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.Active());
        m_bho = new CHintoraIEBHO();
        m_bho->AddRef();
        Probe(m_bho).Window() = &m_window;
    }
    void TearDown() override {
        m_bho->Release();
        g_bDiagnosticMode = 0;
        g_currentMessage.Clear();
    }

    // Expects one window and gives back the JSON of its address.
    void ExpectWindow(std::wstring& json, BOOL& busyWhileOpen, HRESULT result = S_OK) {
        EXPECT_CALL(m_window, showModalDialog(_, _, _, _))
            .WillOnce(Invoke([&, result](BSTR dialog, VARIANT* in, VARIANT* options, VARIANT*) {
                std::wstring address(dialog);
                const std::wstring prefix = L"res://HintoraIE.dll/205?";
                EXPECT_EQ(prefix, address.substr(0, prefix.size()));
                EXPECT_EQ(std::wstring::npos, address.find(L'"')) << "the JSON travels escaped";
                json = Unescape(address.substr(prefix.size()));
                EXPECT_EQ(VT_EMPTY, in->vt);
                EXPECT_EQ(VT_BSTR, options->vt);
                EXPECT_EQ(std::wstring(L"status:no;center:yes;dialogheight:200px;dialogwidth:400px"),
                          options->bstrVal);
                busyWhileOpen = FALSE;
                SharedState::GetBusyState(busyWhileOpen);
                return result;
            }));
    }

    std::wstring ExpectedErrorJson(const std::wstring& code) {
        auto text = [](const wchar_t* key) { return EscapeJsonText(MessageCatalog::GetText(key, L"en")); };
        return L"{\"Title\":\"" + text(L"HINTORA_MESSAGES_TITLE") + L"\",\"Text\":\"" + text(L"COMMON_ERROR_OCCURED") +
               L"<BR />" + text(L"COMMON_ERROR_CODE") + EscapeJsonText(code) + L"\",\"Close\":\"" +
               text(L"COMMON_CLOSE") + L"\",\"Type\":\"critical\"}";
    }

    ProductKeySandbox m_sandbox;
    FakeWindow m_window;
    CHintoraIEBHO* m_bho = nullptr;
};

}  // namespace

TEST_F(MessageWindowTest, AnErrorShowsOnlyItsNumberOutsideDiagnosticMode) {
    std::wstring json;
    BOOL busyWhileOpen = FALSE;
    ExpectWindow(json, busyWhileOpen);
    SharedState::SetBusyState(TRUE);
    g_bDiagnosticMode = 0;

    Probe(m_bho).ShowError(kError013);

    EXPECT_EQ(ExpectedErrorJson(L"013."), json);
    EXPECT_TRUE(busyWhileOpen) << "the request stays busy while the window is open";
    BOOL busy = TRUE;
    SharedState::GetBusyState(busy);
    EXPECT_FALSE(busy);
    EXPECT_EQ(json, g_currentMessage.Get()) << "a window that opened keeps its JSON";
}

TEST_F(MessageWindowTest, DiagnosticModeShowsTheWholeErrorText) {
    std::wstring json;
    BOOL busyWhileOpen = FALSE;
    ExpectWindow(json, busyWhileOpen);
    SharedState::SetBusyState(TRUE);
    g_bDiagnosticMode = 1;

    Probe(m_bho).ShowError(kError013);

    EXPECT_EQ(ExpectedErrorJson(kError013), json);
    EXPECT_TRUE(busyWhileOpen);
    BOOL busy = TRUE;
    SharedState::GetBusyState(busy);
    EXPECT_FALSE(busy);
}

TEST_F(MessageWindowTest, AWindowThatCannotOpenStillEndsTheRequest) {
    std::wstring json;
    BOOL busyWhileOpen = FALSE;
    ExpectWindow(json, busyWhileOpen, E_ACCESSDENIED);
    SharedState::SetBusyState(TRUE);
    Probe(m_bho).ShowError(L"13");  // shorter than a number and its period: taken whole
    EXPECT_EQ(ExpectedErrorJson(L"13"), json);
    EXPECT_EQ(L"", g_currentMessage.Get());
    BOOL busy = TRUE;
    SharedState::GetBusyState(busy);
    EXPECT_FALSE(busy);

    // Without a top window there is nothing to open the window over.
    Probe(m_bho).Window() = nullptr;
    EXPECT_TRUE(FAILED(Probe(m_bho).OpenMessageWindow(L"T", L"x", L"warning", L"C")));
    EXPECT_EQ(L"", g_currentMessage.Get());
    Probe(m_bho).Window() = &m_window;
}

TEST_F(MessageWindowTest, AMessageTooLongForTheAddressOpensNoWindow) {
    EXPECT_CALL(m_window, showModalDialog(_, _, _, _)).Times(0);
    std::wstring text(1990, L'a');
    HRESULT hr = Probe(m_bho).OpenMessageWindow(L"T", text, L"information", L"C");
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(FormatMessageJson(L"T", text, L"C", L"information"), g_currentMessage.Get());

    // Every escaped character counts: quotes take six units each.
    std::wstring quotes(400, L'"');
    EXPECT_TRUE(FAILED(Probe(m_bho).OpenMessageWindow(L"T", quotes, L"information", L"C")));
}

TEST_F(MessageWindowTest, TextsThatLookLikeJsonOrUrlsArriveIntact) {
    std::wstring json;
    BOOL busyWhileOpen = FALSE;
    ExpectWindow(json, busyWhileOpen);
    std::wstring text = L"a \"quoted\" [x,y] 100% #1 & c:\\dir ? <BR />next\r\nline";
    EXPECT_EQ(S_OK, Probe(m_bho).OpenMessageWindow(L"Title: {1}", text, L"warning", L"Close"));
    EXPECT_EQ(FormatMessageJson(L"Title: {1}", text, L"Close", L"warning"), json);
}
