#include <gtest/gtest.h>

#include "base/Registry.h"
#include "RegistrySandbox.h"
#include "settings/ProductSettings.h"

TEST(ProductSettings, StoreDataInRegistrySkipsEmptyValuesAndTrimsTheRest) {
    RegistrySandbox box;
    EXPECT_EQ(0, ProductSettings::StoreDataInRegistry(box.Root(), L"New\\Key", L"Empty", L""));
    EXPECT_FALSE(box.Exists(L"New\\Key")) << "an empty value writes nothing, not even the key";

    EXPECT_EQ(0, ProductSettings::StoreDataInRegistry(box.Root(), L" New\\Key ", L" Number ", L" 7 "));
    std::wstring text;
    Registry registry(box.Root());
    EXPECT_EQ(0, registry.GetStringValue(L"New\\Key", L"Number", text));
    EXPECT_EQ(L"7", text);

    // Blanks only pass the emptiness test and are then refused as empty text.
    EXPECT_EQ(E_INVALIDARG, ProductSettings::StoreDataInRegistry(box.Root(), L"New\\Key", L"Blank", L"   "));
    EXPECT_FALSE(box.HasValue(L"New\\Key", L"Blank"));
}

