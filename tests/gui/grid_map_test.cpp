// CMapWordToOb: lookups, replacement, removal and iteration across many keys.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "afxcoll.h"

namespace {

class CValue : public CObject {
public:
    explicit CValue(int n) : m_n(n) {}
    int m_n;
};

TEST(MapWordToObTest, StoresLooksUpAndRemovesAcrossManyKeys)
{
    CMapWordToOb map(3); // a small block size: many node blocks
    std::vector<std::unique_ptr<CValue>> owned;
    std::vector<CValue*> values;
    for (int i = 0; i < 300; ++i) {
        owned.push_back(std::make_unique<CValue>(i));
        values.push_back(owned.back().get());
    }
    for (int i = 0; i < 300; ++i) map.SetAt(static_cast<WORD>(i * 7), values[static_cast<size_t>(i)]);
    EXPECT_EQ(map.GetCount(), 300);
    CObject* p = nullptr;
    ASSERT_TRUE(map.Lookup(7 * 123, p));
    EXPECT_EQ(static_cast<CValue*>(p)->m_n, 123);
    EXPECT_FALSE(map.Lookup(1, p));

    map.SetAt(7 * 5, values[0]); // replacing keeps one entry
    EXPECT_EQ(map.GetCount(), 300);
    EXPECT_TRUE(map.Lookup(7 * 5, p));
    EXPECT_EQ(p, values[0]);

    for (int i = 0; i < 300; i += 2) EXPECT_TRUE(map.RemoveKey(static_cast<WORD>(i * 7)));
    EXPECT_FALSE(map.RemoveKey(0));
    EXPECT_EQ(map.GetCount(), 150);

    std::map<WORD, CObject*> seen;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        WORD key = 0;
        CObject* value = nullptr;
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.emplace(key, value).second) << "key seen twice: " << key;
    }
    EXPECT_EQ(seen.size(), 150u);
    for (auto& [key, value] : seen) EXPECT_EQ(key % 14, 7) << key;

    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.GetStartPosition(), nullptr);
    map[65535] = values[1]; // usable again after emptying; the top key too
    EXPECT_TRUE(map.Lookup(65535, p));
    EXPECT_EQ(p, values[1]);
}

} // namespace
