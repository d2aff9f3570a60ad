// The scriptable object created by name from a real script engine (the
// system's cscript with JScript) and called through the type library.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const wchar_t kTestClsid[] = L"{6B0E51B8-4C0F-4F4B-9D55-2C7A1E3B9F10}";
const wchar_t kTestProgId[] = L"HintoraTest.Hintora";

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.rfind(L'\\') + 1);
}

// Registration of the test class for the life of the object (the machine's
// classes: the wine prefix does not merge per-user classes into them).
class TestClassRegistration {
public:
    explicit TestClassRegistration(const std::wstring& dll) {
        std::wstring clsidKey = std::wstring(L"CLSID\\") + kTestClsid;
        Put(clsidKey + L"\\InprocServer32", L"", dll);
        Put(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        Put(std::wstring(kTestProgId) + L"\\CLSID", L"", kTestClsid);
    }
    ~TestClassRegistration() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kTestClsid).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(kTestProgId)).c_str());
    }

private:
    static void Put(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name.empty() ? nullptr : name.c_str(), REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
};

// Runs a JScript file under cscript and returns the lines that its function
// out() wrote (the host's own console output does not reach a pipe here).
std::string RunScript(const std::string& body, DWORD* exitCode) {
    wchar_t directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    std::wstring base = std::wstring(directory) + L"hintora_script_" + std::to_wstring(GetCurrentProcessId());
    std::wstring file = base + L".js";
    std::wstring results = base + L".txt";
    std::string resultsPath;
    for (wchar_t c : results) {
        if (c == L'\\')
            resultsPath += "\\\\";
        else
            resultsPath += static_cast<char>(c);
    }
    std::string script = "var fso = new ActiveXObject(\"Scripting.FileSystemObject\");\n"
                         "var results = fso.CreateTextFile(\"" + resultsPath + "\", true);\n"
                         "function out(text) { results.WriteLine(text); }\n"
                         "try {\n" + body + "} catch (e) { out('exception:' + (e.number >>> 0).toString(16)); }\n"
                         "results.Close();\n"
                         "WScript.Quit(7);\n";
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return "<no script file>";
    DWORD written = 0;
    WriteFile(handle, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    CloseHandle(handle);

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::wstring command = L"cscript.exe //nologo \"" + file + L"\"";
    std::string output;
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(writeEnd);
        writeEnd = nullptr;
        char buffer[512];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
            output.append(buffer, read);
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        output = "<cscript did not start>";
    }
    if (writeEnd)
        CloseHandle(writeEnd);
    CloseHandle(readEnd);
    DeleteFileW(file.c_str());
    handle = CreateFileW(results.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD read = 0;
        if (ReadFile(handle, buffer, sizeof(buffer), &read, nullptr))
            output.append(buffer, read);
        CloseHandle(handle);
        DeleteFileW(results.c_str());
    }
    return output;
}

}  // namespace

TEST(HintoraScript, AScriptHostCallsTheObjectThroughTheTypeLibrary) {
    TestClassRegistration registration(ProgramDirectory() + L"hintora_script_object.dll");
    // Calls that hand strings back and forth; a call that changes settings
    // is refused to a host whose site shows no page.
    const std::string script =
        "var o = new ActiveXObject(\"HintoraTest.Hintora\");\n"
        "out(\"version=\" + o.GetVersion());\n"
        "out(\"message=[\" + o.GetMessage() + \"]\");\n"
        "o.CreateOptionsJson();\n"
        "var options = o.GetMessage();\n"
        "out(\"options=\" + (options.indexOf('\"Apply\":\"Apply\"') >= 0));\n"
        "var status = 'none';\n"
        "try { status = o.Configure(\"de\", \"Ctrl+F4\", \"app,1\"); status = typeof status + ':' + status; }\n"
        "catch (e) { status = 'refused:' + (e.number >>> 0).toString(16); }\n"
        "out(\"configure=\" + status);\n";
    DWORD exitCode = 0;
    std::string output = RunScript(script, &exitCode);
    EXPECT_EQ(7u, exitCode) << output;
    EXPECT_NE(std::string::npos, output.find("version=11,1,0,12")) << output;
    EXPECT_NE(std::string::npos, output.find("message=[]")) << output;
    EXPECT_NE(std::string::npos, output.find("options=true")) << output;
    // The engine gives the object a site without a page: the refusal reaches
    // the script as an error with the access-denied number.
    EXPECT_NE(std::string::npos, output.find("configure=refused:80070005")) << output;
}
