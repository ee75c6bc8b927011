#pragma once
// The small XML reader behind every skin file: one pass over its own UTF-16
// copy of the text into a table of elements; nodes are handles into it.

#include <cstddef>
#include <cstdint>
#include <vector>

enum {
    XMLFILE_ENCODING_UTF8 = 0,
    XMLFILE_ENCODING_UNICODE = 1,
    XMLFILE_ENCODING_ASNI = 2,
};

class CUIMarkup;

class CUIMarkupNode
{
    friend class CUIMarkup;

public:
    enum { MAX_XML_ATTRIBUTES = 64 };

    CUIMarkupNode();

    bool IsValid() const;
    CUIMarkupNode GetSibling();
    CUIMarkupNode GetChild();
    bool HasChildren() const;
    const char16_t* GetName() const;

    bool HasAttributes();
    int GetAttributeCount();
    const char16_t* GetAttributeName(int iIndex);
    const char16_t* GetAttributeValue(int iIndex);
    // Copies the value of the first attribute with that name: at most cchMax
    // units and a terminator, so pstrValue must hold cchMax + 1 units.
    bool GetAttributeValue(const char16_t* pstrName, char16_t* pstrValue, size_t cchMax);

private:
    CUIMarkupNode(CUIMarkup* pOwner, int iPos);

    int m_iPos;
    CUIMarkup* m_pOwner;
};

class CUIMarkup
{
    friend class CUIMarkupNode;

public:
    // Skin files above this size are refused.
    static constexpr size_t kMaxFileSize = 4194304;

    explicit CUIMarkup(const char16_t* pstrXML = nullptr);
    ~CUIMarkup();
    CUIMarkup(const CUIMarkup&) = delete;
    CUIMarkup& operator=(const CUIMarkup&) = delete;

    bool Load(const char16_t* pstrXML);
    bool LoadFromMemory(const uint8_t* pByte, size_t dwSize, int encoding = XMLFILE_ENCODING_UTF8);
    // Reads the file from the skin folder or the skin zip (window manager
    // settings).
    bool LoadFromFile(const char16_t* pstrFilename, int encoding = XMLFILE_ENCODING_UTF8);
    void Release();

    // The texts of the last failure (kept after the document is freed).
    const char16_t* GetLastErrorMessage() const { return m_szErrorMsg; }
    const char16_t* GetLastErrorLocation() const { return m_szErrorXML; }

    CUIMarkupNode GetRoot();

private:
    struct XMLELEMENT
    {
        uint32_t iStart;    // name offset
        uint32_t iChild;
        uint32_t iNext;
        uint32_t iParent;
        uint32_t iData;     // content offset
        uint32_t iAttrFirst; // first entry in m_attributes
        uint32_t iAttrCount;
    };
    struct XMLATTRIBUTE
    {
        uint32_t iName;
        uint32_t iValue;
    };

    bool Parse();
    bool ParseElements();
    bool Fail(const char16_t* pstrError, const char16_t* pstrLocation = nullptr);
    bool ParseAttributes(char16_t*& pstrText, XMLELEMENT& el);
    bool ParseData(char16_t*& pstrText, char16_t*& pstrData, char16_t cEnd);
    void ParseEntity(char16_t*& pstrText, char16_t*& pstrDest);
    void SkipWhitespace(char16_t*& pstr) const;
    void SkipIdentifier(char16_t*& pstr) const;
    bool takeText(std::vector<char16_t>&& text);

    std::vector<char16_t> m_text; // terminated
    std::vector<XMLELEMENT> m_elements;
    std::vector<XMLATTRIBUTE> m_attributes;
    char16_t m_szErrorMsg[100];
    char16_t m_szErrorXML[50];
    bool m_bPreserveWhitespace;
};
