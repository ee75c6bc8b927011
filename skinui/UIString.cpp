#include "skinui/UIString.h"

#include <winapi/winbase.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwctype>

namespace {

char16_t lowerUnit(char16_t c)
{
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

char16_t upperUnit(char16_t c)
{
    return static_cast<char16_t>(std::towupper(static_cast<wint_t>(c)));
}

const char16_t kEmpty[1] = {0};

} // namespace

int CUIString::StrLen(const char16_t* s)
{
    if (!s)
        return 0;
    int n = 0;
    while (s[n])
        ++n;
    return n;
}

CUIString::CUIString() : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = 0;
}

CUIString::CUIString(const char16_t ch) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = ch;
    m_szBuffer[1] = 0;
}

CUIString::CUIString(const char16_t* lpsz, int nLen) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = 0;
    Assign(lpsz, nLen);
}

CUIString::CUIString(const CUIString& src) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = 0;
    Assign(src.m_pstr);
}

CUIString::~CUIString()
{
    if (m_pstr != m_szBuffer)
        std::free(m_pstr);
}

int CUIString::GetLength() const
{
    return StrLen(m_pstr);
}

CUIString::operator const char16_t*() const
{
    return m_pstr;
}

void CUIString::Append(const char16_t* pstr)
{
    if (!pstr)
        return;
    const int nOld = GetLength();
    const int nAdd = StrLen(pstr);
    const int nNewLength = nOld + nAdd;
    if (nNewLength >= MAX_LOCAL_STRING_LEN) {
        if (m_pstr == m_szBuffer) {
            auto* buf = static_cast<char16_t*>(std::malloc((nNewLength + 1) * sizeof(char16_t)));
            if (!buf)
                return;
            std::memcpy(buf, m_szBuffer, nOld * sizeof(char16_t));
            std::memcpy(buf + nOld, pstr, nAdd * sizeof(char16_t));
            buf[nNewLength] = 0;
            m_pstr = buf;
        } else {
            // pstr may point into our own buffer: copy it before reallocating.
            auto* add = static_cast<char16_t*>(std::malloc((nAdd + 1) * sizeof(char16_t)));
            if (!add)
                return;
            std::memcpy(add, pstr, nAdd * sizeof(char16_t));
            auto* buf = static_cast<char16_t*>(std::realloc(m_pstr, (nNewLength + 1) * sizeof(char16_t)));
            if (!buf) {
                std::free(add);
                return;
            }
            std::memcpy(buf + nOld, add, nAdd * sizeof(char16_t));
            buf[nNewLength] = 0;
            m_pstr = buf;
            std::free(add);
        }
    } else {
        if (m_pstr != m_szBuffer) {
            // Cannot happen with the invariant (heap only at >= 63), kept safe.
            std::memcpy(m_szBuffer, m_pstr, nOld * sizeof(char16_t));
            std::free(m_pstr);
            m_pstr = m_szBuffer;
        }
        std::memmove(m_szBuffer + nOld, pstr, nAdd * sizeof(char16_t));
        m_szBuffer[nNewLength] = 0;
    }
}

void CUIString::Assign(const char16_t* pstr, int cchMax)
{
    if (!pstr)
        pstr = kEmpty;
    const int srcLen = StrLen(pstr);
    if (cchMax < 0 || cchMax > srcLen)
        cchMax = srcLen;
    if (cchMax < MAX_LOCAL_STRING_LEN) {
        if (m_pstr != m_szBuffer) {
            // The source may live in the heap buffer we are about to free.
            std::memmove(m_szBuffer, pstr, cchMax * sizeof(char16_t));
            m_szBuffer[cchMax] = 0;
            std::free(m_pstr);
            m_pstr = m_szBuffer;
            return;
        }
    } else if (m_pstr == m_szBuffer || GetLength() < cchMax) {
        auto* buf = static_cast<char16_t*>(std::malloc((cchMax + 1) * sizeof(char16_t)));
        if (!buf)
            return;
        std::memcpy(buf, pstr, cchMax * sizeof(char16_t));
        buf[cchMax] = 0;
        if (m_pstr != m_szBuffer)
            std::free(m_pstr);
        m_pstr = buf;
        return;
    }
    std::memmove(m_pstr, pstr, cchMax * sizeof(char16_t));
    m_pstr[cchMax] = 0;
}

bool CUIString::IsEmpty() const
{
    return m_pstr[0] == 0;
}

void CUIString::Empty()
{
    if (m_pstr != m_szBuffer)
        std::free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = 0;
}

const char16_t* CUIString::GetData() const
{
    return m_pstr;
}

char16_t CUIString::GetAt(int nIndex) const
{
    return m_pstr[nIndex];
}

char16_t CUIString::operator[](int nIndex) const
{
    return m_pstr[nIndex];
}

void CUIString::SetAt(int nIndex, char16_t ch)
{
    if (nIndex >= 0 && nIndex < GetLength())
        m_pstr[nIndex] = ch;
}

const CUIString& CUIString::operator=(const CUIString& src)
{
    if (this != &src)
        Assign(src.m_pstr);
    return *this;
}

const CUIString& CUIString::operator=(const char16_t* lpStr)
{
    if (lpStr)
        Assign(lpStr);
    else
        Empty();
    return *this;
}

const CUIString& CUIString::operator=(const char16_t ch)
{
    Empty();
    m_szBuffer[0] = ch;
    m_szBuffer[1] = 0;
    return *this;
}

CUIString CUIString::operator+(const CUIString& src) const
{
    CUIString sTemp = *this;
    sTemp.Append(src.m_pstr);
    return sTemp;
}

CUIString CUIString::operator+(const char16_t* lpStr) const
{
    CUIString sTemp = *this;
    if (lpStr)
        sTemp.Append(lpStr);
    return sTemp;
}

const CUIString& CUIString::operator+=(const CUIString& src)
{
    Append(src.m_pstr);
    return *this;
}

const CUIString& CUIString::operator+=(const char16_t* lpStr)
{
    if (lpStr)
        Append(lpStr);
    return *this;
}

const CUIString& CUIString::operator+=(const char16_t ch)
{
    char16_t str[] = {ch, 0};
    Append(str);
    return *this;
}

bool CUIString::operator==(const char16_t* str) const { return Compare(str) == 0; }
bool CUIString::operator!=(const char16_t* str) const { return Compare(str) != 0; }
bool CUIString::operator<=(const char16_t* str) const { return Compare(str) <= 0; }
bool CUIString::operator<(const char16_t* str) const { return Compare(str) < 0; }
bool CUIString::operator>=(const char16_t* str) const { return Compare(str) >= 0; }
bool CUIString::operator>(const char16_t* str) const { return Compare(str) > 0; }

int CUIString::Compare(const char16_t* lpsz) const
{
    if (!lpsz)
        lpsz = kEmpty;
    const char16_t* a = m_pstr;
    const char16_t* b = lpsz;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    if (*a == *b)
        return 0;
    return static_cast<uint16_t>(*a) < static_cast<uint16_t>(*b) ? -1 : 1;
}

int CUIString::CompareNoCase(const char16_t* lpsz) const
{
    if (!lpsz)
        lpsz = kEmpty;
    const char16_t* a = m_pstr;
    const char16_t* b = lpsz;
    while (*a && lowerUnit(*a) == lowerUnit(*b)) {
        ++a;
        ++b;
    }
    const char16_t la = lowerUnit(*a), lb = lowerUnit(*b);
    if (la == lb)
        return 0;
    return static_cast<uint16_t>(la) < static_cast<uint16_t>(lb) ? -1 : 1;
}

void CUIString::MakeUpper()
{
    for (char16_t* p = m_pstr; *p; ++p)
        *p = upperUnit(*p);
}

void CUIString::MakeLower()
{
    for (char16_t* p = m_pstr; *p; ++p)
        *p = lowerUnit(*p);
}

CUIString CUIString::Left(int iLength) const
{
    if (iLength < 0)
        iLength = 0;
    if (iLength > GetLength())
        iLength = GetLength();
    return CUIString(m_pstr, iLength);
}

CUIString CUIString::Mid(int iPos, int iLength) const
{
    const int len = GetLength();
    if (iPos < 0 || iPos > len)
        return CUIString(); // never read outside the text
    if (iLength < 0)
        iLength = len - iPos;
    if (iPos + iLength > len)
        iLength = len - iPos;
    if (iLength <= 0)
        return CUIString();
    return CUIString(m_pstr + iPos, iLength);
}

CUIString CUIString::Right(int iLength) const
{
    const int len = GetLength();
    int iPos = len - iLength;
    if (iPos < 0) {
        iPos = 0;
        iLength = len;
    }
    return CUIString(m_pstr + iPos, iLength);
}

int CUIString::Find(char16_t ch, int iPos) const
{
    if (iPos != 0 && (iPos < 0 || iPos >= GetLength()))
        return -1;
    for (const char16_t* p = m_pstr + iPos; *p; ++p)
        if (*p == ch)
            return static_cast<int>(p - m_pstr);
    return -1;
}

int CUIString::Find(const char16_t* pstrSub, int iPos) const
{
    if (!pstrSub)
        return -1;
    const int len = GetLength();
    if (iPos != 0 && (iPos < 0 || iPos > len))
        return -1;
    const int subLen = StrLen(pstrSub);
    for (int i = iPos; i + subLen <= len; ++i) {
        if (std::memcmp(m_pstr + i, pstrSub, subLen * sizeof(char16_t)) == 0)
            return i;
    }
    return -1;
}

int CUIString::ReverseFind(char16_t ch) const
{
    for (int i = GetLength() - 1; i >= 0; --i)
        if (m_pstr[i] == ch)
            return i;
    return -1;
}

int CUIString::Replace(const char16_t* pstrFrom, const char16_t* pstrTo)
{
    if (!pstrFrom || !*pstrFrom)
        return 0; // an empty pattern would match forever
    CUIString sTemp;
    int nCount = 0;
    int iPos = Find(pstrFrom);
    if (iPos < 0)
        return 0;
    const int cchFrom = StrLen(pstrFrom);
    const int cchTo = StrLen(pstrTo);
    while (iPos >= 0) {
        sTemp = Left(iPos);
        sTemp += pstrTo;
        sTemp += Mid(iPos + cchFrom);
        Assign(sTemp);
        iPos = Find(pstrFrom, iPos + cchTo);
        nCount++;
    }
    return nCount;
}

int CUIString::FormatV(const char16_t* pstrFormat, va_list args)
{
    CUIString sFormat = pstrFormat;
    char16_t szBuffer[MAX_LOCAL_STRING_LEN + 1] = {0};
    const int iRet = vswprintf16(szBuffer, MAX_LOCAL_STRING_LEN + 1, sFormat.GetData(), args);
    szBuffer[MAX_LOCAL_STRING_LEN] = 0;
    Assign(szBuffer);
    return iRet;
}

int CUIString::Format(const char16_t* pstrFormat, ...)
{
    va_list argList;
    va_start(argList, pstrFormat);
    const int iRet = FormatV(pstrFormat, argList);
    va_end(argList);
    return iRet;
}
