#include <gtest/gtest.h>

#include "Hintora.h"
#include "ProductKeySandbox.h"
#include "Registry.h"
#include "RegistrySandbox.h"

TEST(ProductSettings, StoreDataInRegistrySkipsEmptyValuesAndTrimsTheRest) {
    RegistrySandbox box;
    EXPECT_EQ(0, CHintora::StoreDataInRegistry(box.Root(), L"New\\Key", L"Empty", L""));
    EXPECT_FALSE(box.Exists(L"New\\Key")) << "an empty value writes nothing, not even the key";

    EXPECT_EQ(0, CHintora::StoreDataInRegistry(box.Root(), L" New\\Key ", L" Number ", L" 7 "));
    std::wstring text;
    Registry registry(box.Root());
    EXPECT_EQ(0, registry.GetStringValue(L"New\\Key", L"Number", text));
    EXPECT_EQ(L"7", text);

    // Blanks only pass the emptiness test and are then refused as empty text.
    EXPECT_EQ(E_INVALIDARG, CHintora::StoreDataInRegistry(box.Root(), L"New\\Key", L"Blank", L"   "));
    EXPECT_FALSE(box.HasValue(L"New\\Key", L"Blank"));
}

TEST(ProductSettings, ParameterGroupsMatchExactNamesOnly) {
    for (const wchar_t* name : {L"showtestpage", L"showscore", L"maxhit", L"maxsearch", L"threshold", L"minscore"}) {
        EXPECT_TRUE(IsTestParameter(name)) << name;
        EXPECT_FALSE(IsAdvancedParameter(name)) << name;
    }
    for (const wchar_t* name : {L"tracemode", L"usecache", L"diagnosticmode"}) {
        EXPECT_TRUE(IsAdvancedParameter(name)) << name;
        EXPECT_FALSE(IsTestParameter(name)) << name;
    }
    for (const wchar_t* name : {L"ShowScore", L"TraceMode", L"maxhit ", L"", L"Language"}) {
        EXPECT_FALSE(IsTestParameter(name)) << name;
        EXPECT_FALSE(IsAdvancedParameter(name)) << name;
    }
}

TEST(ProductSettings, TheSandboxRedirectsTheMachineKey) {
    ProductKeySandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    EXPECT_EQ(0, CHintora::StoreDataInRegistry(HKEY_LOCAL_MACHINE, ProductKeySandbox::kProduct, L"ApplicationOrder",
                                               L"b,a"));
    EXPECT_TRUE(sandbox.Box().HasValue(ProductKeySandbox::kProduct, L"ApplicationOrder"));
}
