#include "base/Logger.h"

#include "common/Handles.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

BYTE g_bTraceMode = 0;

const wchar_t Logger::kTraceClsid[] = L"{FF633C6F-8974-4826-8082-E65FD8F9FE40}";
const wchar_t Logger::kSourceTag[] = L"HTIEBHO";

Logger g_logger;

namespace {

// The process's table; null when it cannot be had.
ComPtr<IGlobalInterfaceTable> GlobalInterfaceTable() {
    ComPtr<IGlobalInterfaceTable> git;
    if (FAILED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IGlobalInterfaceTable, &git)))
        git.Reset();
    return git;
}

}  // namespace

Logger::Logger() {
    ConnectTraceObject();
}

Logger::~Logger() {
    // The table's entry goes before our own reference.
    if (m_dwGitCookie) {
        ComPtr<IGlobalInterfaceTable> git = GlobalInterfaceTable();
        if (git)
            git->RevokeInterfaceFromGlobal(m_dwGitCookie);
        m_dwGitCookie = 0;
    }
    m_spTrace.Reset();
}

HRESULT Logger::ConnectTraceObject() {
    if (m_nConnection != 0)
        return S_OK;

    CLSID clsid;
    HRESULT hr = CLSIDFromString(const_cast<LPOLESTR>(kTraceClsid), &clsid);
    if (FAILED(hr)) {
        m_nConnection = 2;
        return hr;
    }
    ComPtr<IDispatch> trace;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &trace);
    if (FAILED(hr) || !trace) {
        m_nConnection = 2;
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    m_spTrace.Swap(trace);
    m_dwOwnerThread = GetCurrentThreadId();
    if (ComPtr<IGlobalInterfaceTable> git = GlobalInterfaceTable()) {
        if (FAILED(git->RegisterInterfaceInGlobal(m_spTrace.Get(), IID_IDispatch, &m_dwGitCookie)))
            m_dwGitCookie = 0;
    }
    m_nConnection = 1;
    return S_OK;
}

std::wstring Logger::Log(const wchar_t* format, ...) {
    if (!g_bTraceMode)
        return std::wstring();

    std::wstring text;
    try {
        va_list args;
        va_start(args, format);
        va_list probe;
        va_copy(probe, args);
        int length = _vscwprintf(format, probe);
        va_end(probe);
        if (length > 0) {
            std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
            _vsnwprintf(buffer.data(), buffer.size(), format, args);
            buffer[length] = L'\0';
            text.assign(buffer.data(), static_cast<size_t>(length));
        }
        va_end(args);

        if (m_nConnection == 1)
            Write(text);
    } catch (...) {
        wchar_t message[512];
        _snwprintf(message, 511, L"Exception %08x '%s", GetLastError(), text.c_str());
        message[511] = L'\0';
        MessageBoxW(nullptr, message, L"Logger::Log() - Exception", MB_OK);
    }
    return text;
}

void Logger::Write(const std::wstring& text) {
    // Other threads reach the object through the table; its reference is
    // their own and goes when this call ends.
    ComPtr<IDispatch> fromGit;
    if (GetCurrentThreadId() != m_dwOwnerThread && m_dwGitCookie) {
        if (ComPtr<IGlobalInterfaceTable> git = GlobalInterfaceTable()) {
            if (FAILED(git->GetInterfaceFromGlobal(m_dwGitCookie, IID_IDispatch, &fromGit)))
                fromGit.Reset();
        }
    }
    IDispatch* trace = fromGit ? fromGit.Get() : m_spTrace.Get();
    if (!trace)
        return;

    DISPID dispid = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Write");
    if (SUCCEEDED(trace->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &dispid))) {
        // Parameter blocks hold arguments last-first.
        static_assert(sizeof(Variant) == sizeof(VARIANT), "an array of Variant is an array of VARIANT");
        Variant args[2];
        args[0].vt = VT_BSTR;
        args[0].bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        args[1].vt = VT_BSTR;
        args[1].bstrVal = SysAllocString(kSourceTag);
        DISPPARAMS params = {args, nullptr, 2, 0};
        Variant result;
        trace->Invoke(dispid, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                      nullptr);
    }
}

std::wstring Logger::GetErrorMessage(DWORD code) {
    LocalMemory buffer;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(buffer.Out()),
        0, nullptr);
    std::wstring text;
    if (length && buffer)
        text.assign(static_cast<const wchar_t*>(buffer.Get()), length);
    // Drop the system's closing line end: the line feeds, then the returns.
    while (!text.empty() && text.back() == L'\n')
        text.pop_back();
    while (!text.empty() && text.back() == L'\r')
        text.pop_back();
    return text;
}

void Logger::LogError(const std::wstring& context, DWORD code, bool failuresOnly) {
    if (failuresOnly && code == 0)
        return;
    Log(L"Error : %s - %s", context.c_str(), GetErrorMessage(code).c_str());
}
