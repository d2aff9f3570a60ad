#include <gtest/gtest.h>

#include "base/LowIntegrity.h"
#include "RegistrySandbox.h"

#include <aclapi.h>
#include <sddl.h>

TEST(LowIntegrity, TheLabelIsLowIntegrityNoWriteUp) {
    PACL sacl = g_lowIntegrity.LabelList();
    ASSERT_NE(nullptr, sacl);
    ASSERT_EQ(1, sacl->AceCount);
    ACE_HEADER* ace = nullptr;
    ASSERT_TRUE(GetAce(sacl, 0, reinterpret_cast<void**>(&ace)));
    ASSERT_EQ(SYSTEM_MANDATORY_LABEL_ACE_TYPE, ace->AceType);
    EXPECT_EQ(0, ace->AceFlags);
    auto* label = reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
    EXPECT_EQ(static_cast<DWORD>(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP), label->Mask);
    LPWSTR sid = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(&label->SidStart, &sid));
    EXPECT_STREQ(L"S-1-16-4096", sid);
    LocalFree(sid);
}

TEST(LowIntegrity, RegistryKeysGetExactlyOneUsersEntry) {
    RegistrySandbox box;
    box.PutString(L"Labelled", L"V", L"x");
    std::wstring name = L"CURRENT_USER\\" + box.Path() + L"\\Labelled";
    SetLowIntegrityLevelOnRegistryKey(name);

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, GetNamedSecurityInfoW(const_cast<LPWSTR>(name.c_str()), SE_REGISTRY_KEY,
                                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                                                   &sd));
    ASSERT_NE(nullptr, dacl);
    int own = 0;
    bool usersReadWrite = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        if (ace->AceFlags & INHERITED_ACE)
            continue;
        ++own;
        ASSERT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->AceType);
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        LPWSTR sid = nullptr;
        ASSERT_TRUE(ConvertSidToStringSidW(&allowed->SidStart, &sid));
        // The system may store generic rights mapped to the key's own rights.
        usersReadWrite = std::wstring(sid) == L"S-1-5-32-545" &&
                         (allowed->Mask == (GENERIC_READ | GENERIC_WRITE) ||
                          (allowed->Mask & (KEY_READ | KEY_WRITE)) == (KEY_READ | KEY_WRITE));
        LocalFree(sid);
    }
    LocalFree(sd);
    EXPECT_EQ(1, own);
    EXPECT_TRUE(usersReadWrite);
}

TEST(LowIntegrity, MissingKeysAndKernelObjectsDoNotThrow) {
    RegistrySandbox box;
    EXPECT_NO_THROW(SetLowIntegrityLevelOnRegistryKey(L"CURRENT_USER\\" + box.Path() + L"\\DoesNotExist"));
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, L"HintoraTest_LabelledEvent");
    ASSERT_NE(nullptr, event);
    EXPECT_NO_THROW(SetLowIntegrityLabelOnKernelObject(L"HintoraTest_LabelledEvent"));
    CloseHandle(event);
}
