#include <gtest/gtest.h>

#include "PredefinedKeySandbox.h"
#include "scriptable/LocationMru.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

static bool operator==(const LocationEntry& a, const LocationEntry& b) {
    return a.address == b.address && a.title == b.title;
}

namespace {

using List = std::vector<LocationEntry>;

std::wstring Show(const List& list) {
    std::wstring text;
    for (const auto& e : list)
        text += L"(" + e.address + L", " + e.title + L") ";
    return text;
}

List Read() {
    List list;
    EXPECT_EQ(0, ReadLocationMru(list));
    return list;
}

void Store(HKEY machine, const List& list) {
    for (size_t p = 0; p < list.size(); ++p) {
        std::wstring key = std::wstring(kLocationMruKey) + L"\\" + std::to_wstring(p);
        PredefinedKeySandbox::Put(machine, key, L"Title", list[p].title);
        PredefinedKeySandbox::Put(machine, key, L"Url", list[p].address);
    }
}

class LocationMru : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(roots.Ok()); }
    PredefinedKeySandbox roots;
};

const std::wstring A = L"http://a.example/content";
const std::wstring B = L"https://b.example/content";

}  // namespace

TEST(LocationMruTitles, DefaultTitlesAreContentBlankDigit) {
    for (const wchar_t* title : {L"Content 7", L"Content 12", L"Content 3x"})
        EXPECT_TRUE(IsDefaultTitle(title)) << title;
    for (const wchar_t* title : {L"Content", L"Content ", L"Content x", L"content 1", L"Content  1", L""})
        EXPECT_FALSE(IsDefaultTitle(title)) << title;
}

TEST_F(LocationMru, AddsInFrontAndNumbersDefaultTitles) {
    EXPECT_TRUE(Read().empty());
    EXPECT_EQ(0, AddToLocationMru(A, L""));
    EXPECT_EQ(L"Content 0", PredefinedKeySandbox::String(roots.Machine(), std::wstring(kLocationMruKey) + L"\\0", L"Title"));
    EXPECT_EQ(A, PredefinedKeySandbox::String(roots.Machine(), std::wstring(kLocationMruKey) + L"\\0", L"Url"));

    AddToLocationMru(B, L"");
    EXPECT_EQ((List{{B, L"Content 0"}, {A, L"Content 1"}}), Read()) << Show(Read());

    // Re-adding B drops its old default-titled entry and renumbers A.
    AddToLocationMru(A, L"");
    AddToLocationMru(B, L"");
    EXPECT_EQ((List{{B, L"Content 0"}, {A, L"Content 1"}}), Read()) << Show(Read());
}

TEST_F(LocationMru, NamedEntriesSurviveAndAddressesCompareExactly) {
    Store(roots.Machine(), {{A, L"Training"}});
    AddToLocationMru(A, L"");
    EXPECT_EQ((List{{A, L"Content 0"}, {A, L"Training"}}), Read()) << Show(Read());

    // Both old entries of A go: one has a default title, one the same title.
    AddToLocationMru(A, L"Training");
    EXPECT_EQ((List{{A, L"Training"}}), Read()) << Show(Read());

    const std::wstring upper = L"HTTP://A.EXAMPLE/content";
    AddToLocationMru(upper, L"");
    List list = Read();
    ASSERT_EQ(2u, list.size()) << Show(list);
    EXPECT_EQ(upper, list[0].address);

    // A stored default-looking title is renumbered with its new place.
    Store(roots.Machine(), {{B, L"Content 5abc"}});
    AddToLocationMru(A, L"Named");
    EXPECT_EQ(L"Content 1", Read().at(1).title);
}

TEST_F(LocationMru, KeepsTheTenNewestEntries) {
    for (int i = 0; i < 13; ++i)
        AddToLocationMru(L"http://host/" + std::to_wstring(i), i % 2 ? L"" : L"Title " + std::to_wstring(i));
    List list = Read();
    ASSERT_EQ(10u, list.size()) << Show(list);
    for (int p = 0; p < 10; ++p) {
        int i = 12 - p;
        EXPECT_EQ(L"http://host/" + std::to_wstring(i), list[p].address);
        EXPECT_EQ(i % 2 ? L"Content " + std::to_wstring(p) : L"Title " + std::to_wstring(i), list[p].title);
    }
    EXPECT_EQ(10u, PredefinedKeySandbox::SubkeyCount(roots.Machine(), kLocationMruKey));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(roots.Machine(), std::wstring(kLocationMruKey) + L"\\10"));

    // Positions are numbers, newest first: a list that another writer made
    // longer reads "10" after "9", and its ten newest entries are kept.
    List longer;
    for (int p = 0; p < 12; ++p)
        longer.push_back({L"http://old/" + std::to_wstring(p), L"Old " + std::to_wstring(p)});
    Store(roots.Machine(), longer);
    EXPECT_EQ(longer, Read()) << Show(Read());
    AddToLocationMru(A, L"");
    List kept{{A, L"Content 0"}};
    kept.insert(kept.end(), longer.begin(), longer.begin() + 9);
    EXPECT_EQ(kept, Read()) << Show(Read());
}

TEST_F(LocationMru, DropsBrokenAndStrayEntriesOnTheNextRewrite) {
    const std::wstring key = kLocationMruKey;
    Store(roots.Machine(), {{A, L"Content 0"}, {B, L"Content 1"}});
    PredefinedKeySandbox::Put(roots.Machine(), key + L"\\2", L"Title", L"no url");
    DWORD number = 5;
    RegSetKeyValueW(roots.Machine(), (key + L"\\3").c_str(), L"Url", REG_DWORD, &number, sizeof(number));
    PredefinedKeySandbox::Put(roots.Machine(), key + L"\\3", L"Title", L"numeric url");
    PredefinedKeySandbox::Put(roots.Machine(), key + L"\\5", L"Url", L"");
    PredefinedKeySandbox::Put(roots.Machine(), key + L"\\5", L"Title", L"empty url");
    PredefinedKeySandbox::Put(roots.Machine(), key + L"\\stray", L"Url", L"x");
    PredefinedKeySandbox::Put(roots.Machine(), key + L"\\stray", L"Title", L"x");
    RegSetKeyValueW(roots.Machine(), (key + L"\\4").c_str(), L"Url", REG_EXPAND_SZ, L"%x%", 8);
    PredefinedKeySandbox::Put(roots.Machine(), key + L"\\4", L"Title", L"Expandable");

    List before = Read();
    EXPECT_EQ((List{{A, L"Content 0"}, {B, L"Content 1"}, {L"%x%", L"Expandable"}, {L"", L"empty url"}, {L"x", L"x"}}),
              before)
        << Show(before);

    AddToLocationMru(L"http://c.example", L"");
    EXPECT_EQ((List{{L"http://c.example", L"Content 0"},
                    {A, L"Content 1"},
                    {B, L"Content 2"},
                    {L"%x%", L"Expandable"},
                    {L"x", L"x"}}),
              Read())
        << Show(Read());
    EXPECT_EQ(5u, PredefinedKeySandbox::SubkeyCount(roots.Machine(), key));
    EXPECT_FALSE(PredefinedKeySandbox::Exists(roots.Machine(), key + L"\\stray"));
}

TEST_F(LocationMru, AnEmptyAddressChangesNothing) {
    Store(roots.Machine(), {{A, L"Content 0"}, {B, L"Mine"}});
    EXPECT_EQ(ERROR_INVALID_PARAMETER, AddToLocationMru(L"", L"Title"));
    EXPECT_EQ((List{{A, L"Content 0"}, {B, L"Mine"}}), Read());
}

TEST_F(LocationMru, AReaderNeverFindsTheListEmptyOrShortWhileItIsRewritten) {
    List full;
    for (int i = 0; i < 10; ++i)
        full.push_back({L"http://host/" + std::to_wstring(i), L"Content " + std::to_wstring(i)});
    Store(roots.Machine(), full);

    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<size_t> shortest{10};
    std::thread reader([&] {
        while (!done) {
            List list;
            ReadLocationMru(list);
            if (list.size() < shortest)
                shortest = list.size();
            ++reads;
        }
    });
    for (int round = 0; round < 60; ++round)
        AddToLocationMru(L"http://host/" + std::to_wstring(round % 12), L"");
    done = true;
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(10u, shortest.load()) << "the list must never be seen without its entries";
    EXPECT_EQ(10u, Read().size());
}
