#include "skinui/UIMarkup.h"

#include "skinui/UIString.h"
#include "skinui/UIText.h"

#include <cstring>
#include <cwctype>
#include <utility>

namespace {

void boundedCopy(char16_t* dest, size_t cchDest, const char16_t* src)
{
    size_t i = 0;
    if (src)
        for (; i + 1 < cchDest && src[i]; ++i)
            dest[i] = src[i];
    dest[i] = 0;
}

const char16_t* findPair(const char16_t* p, char16_t a, char16_t b)
{
    for (; *p; ++p)
        if (p[0] == a && p[1] == b)
            return p;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------- node

CUIMarkupNode::CUIMarkupNode() : m_iPos(0), m_pOwner(nullptr) {}

CUIMarkupNode::CUIMarkupNode(CUIMarkup* pOwner, int iPos) : m_iPos(iPos), m_pOwner(pOwner) {}

bool CUIMarkupNode::IsValid() const
{
    return m_pOwner != nullptr;
}

CUIMarkupNode CUIMarkupNode::GetSibling()
{
    if (!m_pOwner)
        return CUIMarkupNode();
    const uint32_t iPos = m_pOwner->m_elements[m_iPos].iNext;
    if (iPos == 0)
        return CUIMarkupNode();
    return CUIMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CUIMarkupNode CUIMarkupNode::GetChild()
{
    if (!m_pOwner)
        return CUIMarkupNode();
    const uint32_t iPos = m_pOwner->m_elements[m_iPos].iChild;
    if (iPos == 0)
        return CUIMarkupNode();
    return CUIMarkupNode(m_pOwner, static_cast<int>(iPos));
}

bool CUIMarkupNode::HasChildren() const
{
    if (!m_pOwner)
        return false;
    return m_pOwner->m_elements[m_iPos].iChild != 0;
}

const char16_t* CUIMarkupNode::GetName() const
{
    if (!m_pOwner)
        return nullptr;
    return m_pOwner->m_text.data() + m_pOwner->m_elements[m_iPos].iStart;
}

int CUIMarkupNode::GetAttributeCount()
{
    if (!m_pOwner)
        return 0;
    const uint32_t n = m_pOwner->m_elements[m_iPos].iAttrCount;
    return n > MAX_XML_ATTRIBUTES ? MAX_XML_ATTRIBUTES : static_cast<int>(n);
}

bool CUIMarkupNode::HasAttributes()
{
    return GetAttributeCount() > 0;
}

const char16_t* CUIMarkupNode::GetAttributeName(int iIndex)
{
    if (!m_pOwner)
        return nullptr;
    if (iIndex < 0 || iIndex >= GetAttributeCount())
        return u"";
    const auto& el = m_pOwner->m_elements[m_iPos];
    return m_pOwner->m_text.data() + m_pOwner->m_attributes[el.iAttrFirst + iIndex].iName;
}

const char16_t* CUIMarkupNode::GetAttributeValue(int iIndex)
{
    if (!m_pOwner)
        return nullptr;
    if (iIndex < 0 || iIndex >= GetAttributeCount())
        return u"";
    const auto& el = m_pOwner->m_elements[m_iPos];
    return m_pOwner->m_text.data() + m_pOwner->m_attributes[el.iAttrFirst + iIndex].iValue;
}

bool CUIMarkupNode::GetAttributeValue(const char16_t* pstrName, char16_t* pstrValue, size_t cchMax)
{
    if (!m_pOwner || !pstrName || !pstrValue)
        return false;
    const int n = GetAttributeCount();
    for (int i = 0; i < n; i++) {
        const char16_t* name = GetAttributeName(i);
        if (CUIString::StrLen(name) == CUIString::StrLen(pstrName) &&
            std::memcmp(name, pstrName, CUIString::StrLen(name) * sizeof(char16_t)) == 0) {
            boundedCopy(pstrValue, cchMax + 1, GetAttributeValue(i));
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- document

CUIMarkup::CUIMarkup(const char16_t* pstrXML) : m_bPreserveWhitespace(true)
{
    m_szErrorMsg[0] = 0;
    m_szErrorXML[0] = 0;
    if (pstrXML)
        Load(pstrXML);
}

CUIMarkup::~CUIMarkup()
{
    Release();
}

void CUIMarkup::Release()
{
    std::vector<char16_t>().swap(m_text);
    std::vector<XMLELEMENT>().swap(m_elements);
    std::vector<XMLATTRIBUTE>().swap(m_attributes);
}

bool CUIMarkup::takeText(std::vector<char16_t>&& text)
{
    Release();
    m_text = std::move(text);
    if (m_text.empty() || m_text.back() != 0)
        m_text.push_back(0);
    const bool bRes = Parse();
    if (!bRes)
        Release();
    return bRes;
}

bool CUIMarkup::Load(const char16_t* pstrXML)
{
    Release();
    if (!pstrXML)
        return Fail(u"Expected start tag");
    const int len = CUIString::StrLen(pstrXML);
    std::vector<char16_t> text(pstrXML, pstrXML + len + 1);
    return takeText(std::move(text));
}

bool CUIMarkup::LoadFromMemory(const uint8_t* pByte, size_t dwSize, int encoding)
{
    Release();
    if (!pByte && dwSize > 0)
        return Fail(u"Expected start tag");
    std::vector<char16_t> text;
    if (encoding == XMLFILE_ENCODING_UTF8 || encoding == XMLFILE_ENCODING_ASNI) {
        // The ANSI code page of this system is UTF-8.
        if (encoding == XMLFILE_ENCODING_UTF8 && dwSize > 2 && pByte[0] == 0xEF && pByte[1] == 0xBB &&
            pByte[2] == 0xBF) {
            pByte += 3;
            dwSize -= 3;
        }
        const std::u16string wide = UIUtf8ToUtf16(reinterpret_cast<const char*>(pByte), dwSize);
        text.assign(wide.begin(), wide.end());
        text.push_back(0);
    } else if (encoding == XMLFILE_ENCODING_UNICODE) {
        if (dwSize < 2)
            return Fail(u"Expected start tag");
        const bool little = pByte[0] == 0xFF && pByte[1] == 0xFE;
        const bool big = pByte[0] == 0xFE && pByte[1] == 0xFF;
        if (!little && !big)
            return Fail(u"Expected start tag");
        const size_t units = dwSize / 2 - 1; // an odd trailing byte is dropped
        text.resize(units + 1);
        for (size_t i = 0; i < units; ++i) {
            const uint8_t a = pByte[2 + 2 * i], b = pByte[3 + 2 * i];
            text[i] = little ? static_cast<char16_t>(a | (b << 8)) : static_cast<char16_t>(b | (a << 8));
        }
        text[units] = 0;
    } else {
        return Fail(u"Expected start tag");
    }
    return takeText(std::move(text));
}

CUIMarkupNode CUIMarkup::GetRoot()
{
    if (m_elements.size() <= 1)
        return CUIMarkupNode();
    return CUIMarkupNode(this, 1);
}

bool CUIMarkup::Fail(const char16_t* pstrError, const char16_t* pstrLocation)
{
    boundedCopy(m_szErrorMsg, sizeof m_szErrorMsg / sizeof m_szErrorMsg[0], pstrError);
    boundedCopy(m_szErrorXML, sizeof m_szErrorXML / sizeof m_szErrorXML[0], pstrLocation ? pstrLocation : u"");
    return false;
}

void CUIMarkup::SkipWhitespace(char16_t*& pstr) const
{
    while (*pstr > 0 && *pstr <= u' ')
        ++pstr;
}

void CUIMarkup::SkipIdentifier(char16_t*& pstr) const
{
    while (*pstr != 0 && (*pstr == u'_' || *pstr == u':' || std::iswalnum(static_cast<wint_t>(*pstr))))
        ++pstr;
}

bool CUIMarkup::Parse()
{
    m_elements.clear();
    m_attributes.clear();
    m_elements.reserve(500);
    m_elements.push_back(XMLELEMENT{0, 0, 0, 0, 0, 0, 0}); // element 0 is a placeholder
    m_szErrorMsg[0] = 0;
    m_szErrorXML[0] = 0;
    return ParseElements();
}

// Parses the whole text. Nesting is kept on an explicit stack, so the depth
// of a document is bounded only by its size, never by the call stack.
bool CUIMarkup::ParseElements()
{
    struct Frame
    {
        uint32_t parent;      // the run's parent element
        uint32_t last;        // previous sibling of the run (0 = none yet)
        char16_t* nameStart;  // the parent's name (for its end tag)
        char16_t* nameEnd;
        char16_t* dataDest;   // where the parent's content ends
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{0, 0, nullptr, nullptr, nullptr});
    char16_t* pstrText = m_text.data();

    // Finishes the element owning the top run after that run ended; checks
    // its end tag when the text stands at "</".
    auto closeOwner = [&](const Frame& f) -> bool {
        if (pstrText[0] == u'<' && pstrText[1] == u'/') {
            if (f.dataDest)
                *f.dataDest = 0;
            *pstrText = 0;
            pstrText += 2;
            SkipWhitespace(pstrText);
            const size_t cchName = static_cast<size_t>(f.nameEnd - f.nameStart);
            for (size_t i = 0; i < cchName; ++i) {
                if (pstrText[i] != f.nameStart[i])
                    return Fail(u"Unmatched closing tag", pstrText);
            }
            pstrText += cchName;
            SkipWhitespace(pstrText);
            if (*pstrText++ != u'>')
                return Fail(u"Unmatched closing tag", pstrText - 1);
        }
        *f.nameEnd = 0;
        SkipWhitespace(pstrText);
        return true;
    };

    // Ends the run on top of the stack: 1 = the document is done, 0 = go on
    // with the outer run, -1 = failed.
    auto endRun = [&]() -> int {
        const Frame done = stack.back();
        stack.pop_back();
        if (stack.empty())
            return 1;
        return closeOwner(done) ? 0 : -1;
    };

    for (;;) {
        Frame& f = stack.back();
        SkipWhitespace(pstrText);
        if (*pstrText == 0 && f.parent <= 1) {
            // The run ends with the text.
            const int r = endRun();
            if (r != 0)
                return r > 0;
            continue;
        }
        if (*pstrText != u'<')
            return Fail(u"Expected start tag", pstrText);
        if (pstrText[1] == u'/') {
            const int r = endRun();
            if (r != 0)
                return r > 0;
            continue;
        }
        if (pstrText[1] == u'!' || pstrText[1] == u'?') {
            const char16_t a = pstrText[1] == u'!' ? u'-' : u'?';
            const char16_t* end = findPair(pstrText, a, u'>');
            if (end)
                pstrText = const_cast<char16_t*>(end) + 2;
            else
                pstrText += CUIString::StrLen(pstrText); // runs to the end of the text
            SkipWhitespace(pstrText);
            continue;
        }
        ++pstrText;
        const uint32_t iPos = static_cast<uint32_t>(m_elements.size());
        XMLELEMENT el{static_cast<uint32_t>(pstrText - m_text.data()), 0, 0, f.parent, 0,
                      static_cast<uint32_t>(m_attributes.size()), 0};
        if (f.last != 0)
            m_elements[f.last].iNext = iPos;
        else if (f.parent > 0)
            m_elements[f.parent].iChild = iPos;
        f.last = iPos;
        m_elements.push_back(el);

        char16_t* pstrName = pstrText;
        SkipIdentifier(pstrText);
        char16_t* pstrNameEnd = pstrText;
        if (*pstrText == 0)
            return Fail(u"Error parsing element name", pstrText);
        if (!ParseAttributes(pstrText, m_elements[iPos]))
            return false;
        SkipWhitespace(pstrText);
        if (pstrText[0] == u'/' && pstrText[1] == u'>') {
            m_elements[iPos].iData = static_cast<uint32_t>(pstrText - m_text.data());
            *pstrText = 0;
            pstrText += 2;
            *pstrNameEnd = 0;
            SkipWhitespace(pstrText);
            continue;
        }
        if (*pstrText != u'>')
            return Fail(u"Expected start-tag closing", pstrText);
        m_elements[iPos].iData = static_cast<uint32_t>(++pstrText - m_text.data());
        char16_t* pstrDest = pstrText;
        if (!ParseData(pstrText, pstrDest, u'<'))
            return false;
        const uint32_t runParent = stack.back().parent;
        if (*pstrText == 0 && runParent <= 1) {
            // The text ends inside this element: accepted at the top levels.
            *pstrNameEnd = 0;
            *pstrDest = 0;
            const int r = endRun();
            if (r != 0)
                return r > 0;
            continue;
        }
        if (*pstrText != u'<')
            return Fail(u"Expected end-tag start", pstrText);
        const Frame owner{iPos, 0, pstrName, pstrNameEnd, pstrDest};
        if (pstrText[1] != u'/') {
            stack.push_back(owner); // the children follow as a run under iPos
            continue;
        }
        if (!closeOwner(owner))
            return false;
    }
}

bool CUIMarkup::ParseAttributes(char16_t*& pstrText, XMLELEMENT& el)
{
    SkipWhitespace(pstrText);
    while (*pstrText != 0 && *pstrText != u'>' && *pstrText != u'/') {
        char16_t* pstrName = pstrText;
        SkipIdentifier(pstrText);
        char16_t* pstrIdentifierEnd = pstrText;
        SkipWhitespace(pstrText);
        if (*pstrText != u'=')
            return Fail(u"Error while parsing attributes", pstrText);
        *pstrText++ = u' ';
        *pstrIdentifierEnd = 0;
        SkipWhitespace(pstrText);
        if (*pstrText++ != u'\"')
            return Fail(u"Expected attribute value", pstrText - 1);
        char16_t* pstrValue = pstrText;
        char16_t* pstrDest = pstrText;
        if (!ParseData(pstrText, pstrDest, u'\"'))
            return false;
        if (*pstrText == 0)
            return Fail(u"Error while parsing attribute string", pstrText);
        *pstrDest = 0;
        if (pstrDest != pstrText)
            *pstrText = u' ';
        pstrText++;
        m_attributes.push_back(XMLATTRIBUTE{static_cast<uint32_t>(pstrName - m_text.data()),
                                            static_cast<uint32_t>(pstrValue - m_text.data())});
        el.iAttrCount++;
        SkipWhitespace(pstrText);
    }
    return true;
}

bool CUIMarkup::ParseData(char16_t*& pstrText, char16_t*& pstrDest, char16_t cEnd)
{
    while (*pstrText != 0 && *pstrText != cEnd) {
        if (*pstrText == u'&') {
            while (*pstrText == u'&')
                ParseEntity(pstrText, pstrDest);
        } else if (*pstrText == u' ') {
            *pstrDest++ = *pstrText++;
            if (!m_bPreserveWhitespace)
                SkipWhitespace(pstrText);
        } else {
            *pstrDest++ = *pstrText++;
        }
    }
    // Fill the gap left by decoding.
    char16_t* pstrFill = pstrDest;
    while (pstrFill < pstrText)
        *pstrFill++ = u' ';
    return true;
}

void CUIMarkup::ParseEntity(char16_t*& pstrText, char16_t*& pstrDest)
{
    struct Entity
    {
        const char16_t* text;
        int len;
        char16_t ch;
    };
    static const Entity kEntities[] = {
        {u"&amp;", 5, u'&'}, {u"&lt;", 4, u'<'}, {u"&gt;", 4, u'>'}, {u"&quot;", 6, u'\"'}, {u"&apos;", 6, u'\''},
    };
    for (const Entity& e : kEntities) {
        int i = 0;
        while (i < e.len && pstrText[i] == e.text[i])
            ++i; // stops at the terminator at the latest
        if (i == e.len) {
            *pstrDest++ = e.ch;
            pstrText += e.len;
            return;
        }
    }
    *pstrDest++ = *pstrText++;
}
