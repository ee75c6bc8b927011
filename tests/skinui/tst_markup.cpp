// The skin markup parser: trees, encodings, entities and its error texts.
#include "skinui/UIMarkup.h"
#include "skinui/UIString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::u16string str(const char16_t* s)
{
    return s ? std::u16string(s) : std::u16string(u"<null>");
}

bool loadUtf8(CUIMarkup& xml, const std::string& text)
{
    return xml.LoadFromMemory(reinterpret_cast<const uint8_t*>(text.data()), text.size(), XMLFILE_ENCODING_UTF8);
}

} // namespace

TEST(UIMarkup, TreeAndAttributes)
{
    CUIMarkup xml;
    ASSERT_TRUE(xml.Load(u"<?xml version=\"1.0\"?><!-- skin --><Window size=\"400,300\" caption=\"0,0,0,30\">"
                         u"<Font name=\"Arial\" size=\"12\"/><VerticalLayout><Button name=\"ok\" text=\"A &amp; B\"/>"
                         u"<Label/></VerticalLayout></Window>"));
    CUIMarkupNode root = xml.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_EQ(str(root.GetName()), u"Window");
    ASSERT_EQ(root.GetAttributeCount(), 2);
    EXPECT_EQ(str(root.GetAttributeName(1)), u"caption");
    EXPECT_EQ(str(root.GetAttributeValue(0)), u"400,300");
    EXPECT_EQ(str(root.GetAttributeValue(2)), u"");
    CUIMarkupNode font = root.GetChild();
    EXPECT_EQ(str(font.GetName()), u"Font");
    EXPECT_FALSE(font.HasChildren());
    CUIMarkupNode layout = font.GetSibling();
    EXPECT_EQ(str(layout.GetName()), u"VerticalLayout");
    EXPECT_FALSE(layout.HasAttributes());
    CUIMarkupNode button = layout.GetChild();
    char16_t value[8];
    ASSERT_TRUE(button.GetAttributeValue(u"text", value, 7));
    EXPECT_EQ(std::u16string(value), u"A & B");
    ASSERT_TRUE(button.GetAttributeValue(u"text", value, 3)); // bounded copy
    EXPECT_EQ(std::u16string(value), u"A &");
    EXPECT_FALSE(button.GetAttributeValue(u"Text", value, 7));
    EXPECT_EQ(str(button.GetSibling().GetName()), u"Label");
    EXPECT_FALSE(button.GetSibling().GetSibling().IsValid());

    CUIMarkupNode invalid;
    EXPECT_EQ(invalid.GetName(), nullptr);
    EXPECT_EQ(invalid.GetAttributeCount(), 0);
    EXPECT_EQ(invalid.GetAttributeValue(0), nullptr);
    EXPECT_FALSE(invalid.GetChild().IsValid());
}

TEST(UIMarkup, ErrorTexts)
{
    struct Case
    {
        const char16_t* xml;
        const char16_t* error; // null = loads
    };
    const Case cases[] = {
        {u"<a x='1'/>", u"Expected attribute value"},
        {u"<a x=\"1\"/>", nullptr},
        {u"<my-el/>", u"Error while parsing attributes"},
        {u"<a x \"1\"/>", u"Error while parsing attributes"},
        {u"<a x=\"1", u"Error while parsing attribute string"},
        {u"<abc></abcd>", u"Unmatched closing tag"},
        {u"<abc></ab>", u"Unmatched closing tag"},
        {u"<abc></ abc >", nullptr},
        {u"<a", u"Error parsing element name"},
        {u"<a x=\"1\" ?>", u"Error while parsing attributes"},
        {u"<a x=\"1\"?", u"Error while parsing attributes"},
        {u"<a =\"1\" !>", u"Error while parsing attributes"},
        {u"<a b=\"1\"x>", u"Error while parsing attributes"},
        {u"<a/ >", u"Expected start-tag closing"},
        {u"text<a/>", u"Expected start tag"},
        {u"<a><b/>mixed</a>", u"Expected start tag"},
        {u"<a>data only</a>", nullptr},
        {u"<a>&unknown; &lt;</a>", nullptr},
        // The text may end inside the root or a direct child of the root.
        {u"<a>", nullptr},
        {u"<a><b>", nullptr},
        {u"<a><b><c/>", u"Expected start tag"},
        {u"<a><b><c>", u"Expected end-tag start"},
        {u"<a/><b/>", nullptr},
        {u"", nullptr},
        {u"<!-- never closed", nullptr},
        {u"<a></a>trailing", u"Expected start tag"},
    };
    for (const Case& c : cases) {
        CUIMarkup xml;
        const bool ok = xml.Load(c.xml);
        SCOPED_TRACE(std::string(c.xml, c.xml + CUIString::StrLen(c.xml)));
        if (c.error) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(str(xml.GetLastErrorMessage()), c.error);
            EXPECT_FALSE(xml.GetRoot().IsValid());
        } else {
            EXPECT_TRUE(ok) << std::string(xml.GetLastErrorMessage(), xml.GetLastErrorMessage() + 20);
        }
    }
}

TEST(UIMarkup, EncodingsAndBom)
{
    const std::string plain = "<Window name=\"\xE4\xB8\xAD\"><Label/></Window>";
    CUIMarkup a, b;
    ASSERT_TRUE(loadUtf8(a, plain));
    ASSERT_TRUE(loadUtf8(b, "\xEF\xBB\xBF" + plain));
    EXPECT_EQ(str(a.GetRoot().GetAttributeValue(0)), u"\u4E2D");
    EXPECT_EQ(str(b.GetRoot().GetAttributeValue(0)), u"\u4E2D");
    EXPECT_EQ(str(b.GetRoot().GetChild().GetName()), u"Label");

    const std::u16string wide = u"<Root a=\"\u4E2D\"/>";
    std::vector<uint8_t> le{0xFF, 0xFE}, be{0xFE, 0xFF}, none;
    for (char16_t c : wide) {
        le.push_back(c & 0xFF);
        le.push_back(c >> 8);
        be.push_back(c >> 8);
        be.push_back(c & 0xFF);
        none.push_back(c & 0xFF);
        none.push_back(c >> 8);
    }
    CUIMarkup x;
    ASSERT_TRUE(x.LoadFromMemory(le.data(), le.size(), XMLFILE_ENCODING_UNICODE));
    EXPECT_EQ(str(x.GetRoot().GetAttributeValue(0)), u"\u4E2D");
    ASSERT_TRUE(x.LoadFromMemory(be.data(), be.size(), XMLFILE_ENCODING_UNICODE));
    EXPECT_EQ(str(x.GetRoot().GetName()), u"Root");
    EXPECT_FALSE(x.LoadFromMemory(none.data(), none.size(), XMLFILE_ENCODING_UNICODE));
    // An odd byte count drops the last byte; never read past the buffer.
    std::vector<uint8_t> odd = le;
    odd.push_back(0x3C);
    ASSERT_TRUE(x.LoadFromMemory(odd.data(), odd.size(), XMLFILE_ENCODING_UNICODE));
    const uint8_t one[1] = {0xFF};
    EXPECT_FALSE(x.LoadFromMemory(one, 1, XMLFILE_ENCODING_UNICODE));
    EXPECT_FALSE(x.LoadFromMemory(le.data(), le.size(), 7));
    // Broken UTF-8 is replaced, not trusted.
    EXPECT_TRUE(loadUtf8(x, "<a b=\"\xC3\"/>"));
    EXPECT_EQ(str(x.GetRoot().GetAttributeValue(0)), u"\uFFFD");
}

TEST(UIMarkup, SiblingsReloadAndAttributeCap)
{
    CUIMarkup xml(u"<first/><second/>");
    EXPECT_EQ(str(xml.GetRoot().GetName()), u"first");
    EXPECT_EQ(str(xml.GetRoot().GetSibling().GetName()), u"second");

    ASSERT_TRUE(xml.Load(u"<other k=\"v\"/>"));
    EXPECT_EQ(str(xml.GetRoot().GetName()), u"other");
    EXPECT_FALSE(xml.GetRoot().GetSibling().IsValid());

    std::u16string many = u"<e";
    for (int i = 0; i < 70; ++i)
        many += u" a" + std::u16string(1, static_cast<char16_t>(u'0' + i / 10)) +
                std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u"=\"v\"";
    many += u"/>";
    ASSERT_TRUE(xml.Load(many.c_str()));
    EXPECT_EQ(xml.GetRoot().GetAttributeCount(), 64);
    EXPECT_EQ(str(xml.GetRoot().GetAttributeName(63)), u"a63");

    // Blanks around "=" are accepted and the attribute stays visible.
    ASSERT_TRUE(xml.Load(u"<e a = \"1\" b=\"&quot;x&quot;\"/>"));
    ASSERT_EQ(xml.GetRoot().GetAttributeCount(), 2);
    EXPECT_EQ(str(xml.GetRoot().GetAttributeValue(1)), u"\"x\"");
}

TEST(UIMarkup, DeepNestingHasNoRecursion)
{
    std::u16string deep;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i)
        deep += u"<d>";
    for (int i = 0; i < depth; ++i)
        deep += u"</d>";
    CUIMarkup xml;
    ASSERT_TRUE(xml.Load(deep.c_str()));
    CUIMarkupNode n = xml.GetRoot();
    int count = 0;
    while (n.IsValid()) {
        ++count;
        n = n.GetChild();
    }
    EXPECT_EQ(count, depth);
}
