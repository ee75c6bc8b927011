// String, pointer array, string map and delegates of the skin library.
#include "skinui/UIDelegate.h"
#include "skinui/UIPtrArray.h"
#include "skinui/UIString.h"
#include "skinui/UIStringPtrMap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string repeat(char16_t c, int n)
{
    return std::u16string(static_cast<size_t>(n), c);
}

bool isInline(const CUIString& s)
{
    const auto* obj = reinterpret_cast<const char*>(&s);
    const auto* data = reinterpret_cast<const char*>(s.GetData());
    return data >= obj && data < obj + sizeof(CUIString);
}

} // namespace

TEST(UIString, InlineBufferBoundary)
{
    CUIString s(repeat(u'x', 62).c_str());
    EXPECT_TRUE(isInline(s));
    s = repeat(u'y', 63).c_str();
    EXPECT_FALSE(isInline(s));
    EXPECT_EQ(s.GetLength(), 63);
    s = u"short";
    EXPECT_TRUE(isInline(s));
    EXPECT_EQ(s, u"short");

    CUIString a(repeat(u'a', 40).c_str());
    a += repeat(u'b', 23).c_str(); // 63 in total: moves to the heap
    EXPECT_FALSE(isInline(a));
    EXPECT_EQ(std::u16string(a.GetData()), repeat(u'a', 40) + repeat(u'b', 23));
    a += a; // appending itself
    EXPECT_EQ(a.GetLength(), 126);
}

TEST(UIString, LeftMidFindTable)
{
    const CUIString ten(u"0123456789");
    EXPECT_TRUE(ten.Left(-5).IsEmpty());
    EXPECT_EQ(ten.Left(1000), u"0123456789");
    EXPECT_EQ(ten.Mid(3, -1), u"3456789");
    EXPECT_EQ(ten.Mid(3, 100).GetLength(), 7);
    EXPECT_TRUE(ten.Mid(3, 0).IsEmpty());
    EXPECT_TRUE(ten.Mid(50, 2).IsEmpty()); // never reads past the text

    EXPECT_EQ(ten.Find(u"", 10), 10);
    EXPECT_EQ(ten.Find(u'9', 10), -1);
    EXPECT_EQ(ten.Find(u'9', 9), 9);
    EXPECT_EQ(ten.Find(u"45", 0), 4);
    EXPECT_EQ(ten.Find(u"45", 11), -1);
    EXPECT_EQ(ten.Find(u"45", -1), -1);
    EXPECT_EQ(CUIString(u"abcabc").ReverseFind(u'b'), 4);
}

TEST(UIString, ReplaceCompareAndCase)
{
    CUIString s(u"aaa");
    EXPECT_EQ(s.Replace(u"a", u"aa"), 3);
    EXPECT_EQ(s, u"aaaaaa");
    EXPECT_EQ(s.Replace(u"zz", u"y"), 0);

    EXPECT_EQ(CUIString(u"abc").Compare(u"abd"), -1);
    EXPECT_EQ(CUIString(u"abd").Compare(u"abc"), 1);
    EXPECT_EQ(CUIString(u"ab").Compare(u"abc"), -1);
    EXPECT_EQ(CUIString(u"\xFF00").Compare(u"a"), 1); // unsigned units
    CUIString m(u"MiXeD");
    m.MakeLower();
    EXPECT_EQ(m, u"mixed");

    CUIString n(u"x");
    n = static_cast<const char16_t*>(nullptr);
    EXPECT_TRUE(n.IsEmpty());
    n += static_cast<const char16_t*>(nullptr);
    EXPECT_TRUE(n.IsEmpty());
}

TEST(UIString, FormatIsBounded)
{
    CUIString s;
    s.Format(u"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", 1, 2, 300, 400, 5, 6, 700, 800);
    EXPECT_EQ(s, u"dest='1,2,300,400' source='5,6,700,800'");
    // Far more than 63 characters: cut, never overflowing.
    s.Format(u"%s%s%s", repeat(u'q', 50).c_str(), repeat(u'r', 50).c_str(), repeat(u's', 50).c_str());
    EXPECT_EQ(s.GetLength(), 63);
    EXPECT_EQ(std::u16string(s.GetData()), repeat(u'q', 50) + repeat(u'r', 13));
    s.Format(u"%08x|%-4d|%5s|%c|%%", 0xBEEFu, -7, u"ab", u'Z');
    EXPECT_EQ(s, u"0000beef|-7  |   ab|Z|%");
}

TEST(UIPtrArray, GrowthAndBounds)
{
    CUIPtrArray a;
    int values[60];
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(a.Add(&values[i]));
    EXPECT_EQ(a.GetSize(), 60);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(a[i], &values[i]);
    EXPECT_FALSE(a.InsertAt(61, &values[0]));
    EXPECT_FALSE(a.InsertAt(-1, &values[0]));
    EXPECT_TRUE(a.InsertAt(60, &values[1])); // index == count appends
    EXPECT_TRUE(a.InsertAt(0, &values[2]));
    EXPECT_EQ(a[0], &values[2]);
    EXPECT_EQ(a[1], &values[0]);
    EXPECT_EQ(a.GetAt(62), nullptr);
    EXPECT_EQ(a.GetAt(-1), nullptr);
    EXPECT_TRUE(a.Remove(0));
    EXPECT_FALSE(a.Remove(61));
    EXPECT_EQ(a.Find(&values[5]), 5);
    EXPECT_EQ(a.Find(nullptr), -1);

    CUIPtrArray copy(a);
    EXPECT_EQ(copy.GetSize(), a.GetSize());
    a.Resize(3);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a.GetAt(2), nullptr);
    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(UIStringPtrMap, BucketsSetFindRemove)
{
    CUIStringPtrMap small(5);
    EXPECT_EQ(small.GetBucketCount(), 16);

    CUIStringPtrMap m(83);
    int a = 1, b = 2, c = 3;
    EXPECT_EQ(m.Set(u"alpha", &a), nullptr);
    EXPECT_EQ(m.Find(u"alpha"), &a);
    EXPECT_EQ(m.Set(u"alpha", &b), &a);
    EXPECT_EQ(m.Find(u"alpha"), &b);
    EXPECT_FALSE(m.Insert(u"alpha", &c));
    EXPECT_EQ(m.Find(u"ALPHA"), nullptr); // case-sensitive
    EXPECT_TRUE(m.Insert(u"null", nullptr));
    EXPECT_TRUE(m.Insert(u"null", nullptr)); // a null value can be inserted again
    EXPECT_EQ(m.GetSize(), 3);
    EXPECT_TRUE(m.Remove(u"alpha"));
    EXPECT_FALSE(m.Remove(u"alpha"));
    EXPECT_EQ(m.GetSize(), 2);
    m.Resize(83);
    EXPECT_EQ(m.GetSize(), 0);
    EXPECT_EQ(m.Find(u"null"), nullptr);
}

TEST(UIStringPtrMap, ChainsAndWalkOrder)
{
    CUIStringPtrMap m(16);
    // Keys in the same bucket chain: find moves a hit to the head.
    std::u16string keys[40];
    int value = 0;
    for (int i = 0; i < 40; ++i) {
        keys[i] = u"k" + std::u16string(1, static_cast<char16_t>(u'A' + i));
        ASSERT_TRUE(m.Insert(keys[i].c_str(), &value));
    }
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(m.Find(keys[i].c_str()), &value);
    // Walk order: buckets from the highest index down.
    unsigned lastBucket = 16;
    for (int i = 0; i < m.GetSize(); ++i) {
        const char16_t* k = m.GetAt(i);
        ASSERT_NE(k, nullptr);
        const unsigned bucket = CUIStringPtrMap::HashKey(k) % 16;
        EXPECT_LE(bucket, lastBucket);
        lastBucket = bucket;
    }
    EXPECT_EQ(m.GetAt(40), nullptr);
    for (int i = 0; i < 40; i += 3)
        EXPECT_TRUE(m.Remove(keys[i].c_str()));
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(m.Find(keys[i].c_str()) != nullptr, i % 3 != 0);
}

namespace {

struct Handler
{
    int calls = 0;
    bool answer = true;
    bool OnA(void*)
    {
        ++calls;
        return answer;
    }
    bool OnB(void*)
    {
        ++calls;
        return answer;
    }
};

} // namespace

TEST(UIEventSource, AddOnceFireStopsAtFalse)
{
    Handler h1, h2, h3;
    {
        CUIEventSource src;
        EXPECT_FALSE(src.HasHandlers());
        EXPECT_TRUE(src.Fire(nullptr));
        src += MakeDelegate(&h1, &Handler::OnA);
        src += MakeDelegate(&h1, &Handler::OnA); // same object and function: once
        src += MakeDelegate(&h1, &Handler::OnB);
        src.Fire(nullptr);
        EXPECT_EQ(h1.calls, 2);
    }
    CUIEventSource src;
    h2.answer = false;
    src += MakeDelegate(&h1, &Handler::OnA);
    src += MakeDelegate(&h2, &Handler::OnA);
    src += MakeDelegate(&h3, &Handler::OnA);
    h1.calls = 0;
    EXPECT_FALSE(src.Fire(nullptr));
    EXPECT_EQ(h1.calls, 1);
    EXPECT_EQ(h2.calls, 1);
    EXPECT_EQ(h3.calls, 0);
}
