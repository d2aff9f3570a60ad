// The built library loaded as any program loads it: its exports, class
// objects, unload answer and the resources its registration names.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "HintoraIE_h.h"

namespace {

using GetClassObjectFunc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFunc = HRESULT(STDAPICALLTYPE*)();

// The test program lives in <build>/tests/extension, the library in <build>/extension.
std::wstring LibraryPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text = path;
    text = text.substr(0, text.rfind(L'\\'));
    text = text.substr(0, text.rfind(L'\\'));
    text = text.substr(0, text.rfind(L'\\'));
    return text + L"\\extension\\HintoraIE.dll";
}

class LibraryExports : public ::testing::Test {
protected:
    void SetUp() override {
        m_library = LoadLibraryW(LibraryPath().c_str());
        ASSERT_NE(nullptr, m_library) << GetLastError();
        m_getClassObject = reinterpret_cast<GetClassObjectFunc>(
            reinterpret_cast<void*>(GetProcAddress(m_library, "DllGetClassObject")));
        m_canUnload =
            reinterpret_cast<CanUnloadFunc>(reinterpret_cast<void*>(GetProcAddress(m_library, "DllCanUnloadNow")));
        ASSERT_NE(nullptr, m_getClassObject);
        ASSERT_NE(nullptr, m_canUnload);
    }
    void TearDown() override {
        if (m_library)
            FreeLibrary(m_library);
    }

    HMODULE m_library = nullptr;
    GetClassObjectFunc m_getClassObject = nullptr;
    CanUnloadFunc m_canUnload = nullptr;
};

}  // namespace

TEST_F(LibraryExports, EveryExportIsThere) {
    for (const char* name :
         {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer", "DllInstall"})
        EXPECT_NE(nullptr, GetProcAddress(m_library, name)) << name;
}

TEST_F(LibraryExports, ClassObjectsOfTheFourClassesOnly) {
    for (const CLSID* clsid : {&CLSID_DocUIHandler, &CLSID_HintoraIEBHO, &CLSID_Hintora, &CLSID_HintoraOptions}) {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(S_OK, m_getClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        IClassFactory* again = nullptr;
        ASSERT_EQ(S_OK, m_getClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&again)));
        EXPECT_EQ(factory, again) << "one class object per class";
        again->Release();
        factory->Release();
    }
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, m_getClassObject(IID_IHintora, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, m_getClassObject(CLSID_Hintora, IID_IClassFactory, nullptr));
}

TEST_F(LibraryExports, LiveObjectsAndServerLocksKeepTheLibraryLoaded) {
    EXPECT_EQ(S_OK, m_canUnload());
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, m_getClassObject(CLSID_Hintora, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_OK, m_canUnload()) << "a class object alone holds no lock";
    IHintora* object = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IHintora, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(S_FALSE, m_canUnload());
    object->Release();
    EXPECT_EQ(S_OK, m_canUnload());
    factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, m_canUnload());
    factory->LockServer(FALSE);
    EXPECT_EQ(S_OK, m_canUnload());
    factory->Release();
}

TEST_F(LibraryExports, CarriesTheResourcesItsRegistrationNames) {
    EXPECT_NE(nullptr, FindResourceW(m_library, MAKEINTRESOURCEW(201), RT_GROUP_ICON)) << "the button's icon";
    EXPECT_NE(nullptr, LoadImageW(m_library, MAKEINTRESOURCEW(201), IMAGE_ICON, 16, 16, 0));
    for (int id : {101, 102, 103, 104, 105, 107})
        EXPECT_NE(nullptr, FindResourceW(m_library, MAKEINTRESOURCEW(id), L"REGISTRY")) << id;
    EXPECT_NE(nullptr, FindResourceW(m_library, MAKEINTRESOURCEW(1), L"TYPELIB"));
    EXPECT_NE(nullptr, FindResourceW(m_library, MAKEINTRESOURCEW(106), RT_DIALOG)) << "the options dialog";
}

TEST_F(LibraryExports, IsAGuiImageOfTheVersionItTellsPages) {
    auto base = reinterpret_cast<const BYTE*>(m_library);
    auto headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, headers->OptionalHeader.Subsystem);
    EXPECT_EQ(11, headers->OptionalHeader.MajorImageVersion);
    EXPECT_EQ(1, headers->OptionalHeader.MinorImageVersion);

    HRSRC found = FindResourceW(m_library, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(nullptr, found);
    // The version calls want a writable copy.
    auto data = static_cast<const BYTE*>(LockResource(LoadResource(m_library, found)));
    std::vector<BYTE> info(data, data + SizeofResource(m_library, found));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(MAKELONG(1, 11), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(12, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904b0\\FileVersion",
                               reinterpret_cast<void**>(&text), &size));
    EXPECT_STREQ(L"11.1.0.12", text);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, m_getClassObject(CLSID_Hintora, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    IHintora* object = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IHintora, reinterpret_cast<void**>(&object)));
    BSTR version = nullptr;
    EXPECT_EQ(S_OK, object->GetVersion(&version));
    EXPECT_STREQ(L"11,1,0,12", version);
    SysFreeString(version);
    object->Release();
    factory->Release();
}
