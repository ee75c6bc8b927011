#pragma once
// Wide (UTF-16) string of the skin library with a small inline buffer: most
// attribute names, values and control names never touch the heap.

#include <cstdarg>

class CUIString
{
public:
    enum { MAX_LOCAL_STRING_LEN = 63 };

    CUIString();
    CUIString(const char16_t ch);
    CUIString(const CUIString& src);
    CUIString(const char16_t* lpsz, int nLen = -1);
    ~CUIString();

    void Empty();
    int GetLength() const;
    bool IsEmpty() const;
    char16_t GetAt(int nIndex) const;
    void Append(const char16_t* pstr);
    void Assign(const char16_t* pstr, int nLength = -1);
    const char16_t* GetData() const;

    void SetAt(int nIndex, char16_t ch);
    operator const char16_t*() const;

    char16_t operator[](int nIndex) const;
    const CUIString& operator=(const CUIString& src);
    const CUIString& operator=(const char16_t ch);
    const CUIString& operator=(const char16_t* pstr);

    CUIString operator+(const CUIString& src) const;
    CUIString operator+(const char16_t* pstr) const;
    const CUIString& operator+=(const CUIString& src);
    const CUIString& operator+=(const char16_t* pstr);
    const CUIString& operator+=(const char16_t ch);

    bool operator==(const char16_t* str) const;
    bool operator!=(const char16_t* str) const;
    bool operator<=(const char16_t* str) const;
    bool operator<(const char16_t* str) const;
    bool operator>=(const char16_t* str) const;
    bool operator>(const char16_t* str) const;

    // Ordinal comparison of unsigned code units: -1, 0 or 1.
    int Compare(const char16_t* pstr) const;
    // Ordinal comparison after simple lower-casing of each code unit.
    int CompareNoCase(const char16_t* pstr) const;

    void MakeUpper();
    void MakeLower();

    CUIString Left(int nLength) const;
    CUIString Mid(int iPos, int nLength = -1) const;
    CUIString Right(int nLength) const;

    int Find(char16_t ch, int iPos = 0) const;
    int Find(const char16_t* pstr, int iPos = 0) const;
    int ReverseFind(char16_t ch) const;
    int Replace(const char16_t* pstrFrom, const char16_t* pstrTo);

    // printf-style formatting (wide: %s takes a UTF-16 text) into a 64-unit
    // buffer: longer output is cut at 63 units, never written past it.
    // Returns what the formatter returned.
    int Format(const char16_t* pstrFormat, ...);
    int FormatV(const char16_t* pstrFormat, va_list args);

    // Length of a terminated UTF-16 text (0 for null).
    static int StrLen(const char16_t* s);

private:
    char16_t* m_pstr;
    char16_t m_szBuffer[MAX_LOCAL_STRING_LEN + 1];
};
