#include "skinui/UIPtrArray.h"

#include <cstdlib>
#include <cstring>

CUIPtrArray::CUIPtrArray(int iPreallocSize) : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(iPreallocSize > 0 ? iPreallocSize : 0)
{
    if (m_nAllocated > 0) {
        m_ppVoid = static_cast<void**>(std::malloc(m_nAllocated * sizeof(void*)));
        if (!m_ppVoid)
            m_nAllocated = 0;
    }
}

CUIPtrArray::CUIPtrArray(const CUIPtrArray& src) : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0)
{
    for (int i = 0; i < src.GetSize(); i++)
        Add(src.GetAt(i));
}

CUIPtrArray::~CUIPtrArray()
{
    std::free(m_ppVoid);
}

void CUIPtrArray::Empty()
{
    std::free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = m_nAllocated = 0;
}

void CUIPtrArray::Resize(int iSize)
{
    Empty();
    if (iSize <= 0)
        return;
    m_ppVoid = static_cast<void**>(std::calloc(iSize, sizeof(void*)));
    if (m_ppVoid)
        m_nAllocated = m_nCount = iSize;
}

bool CUIPtrArray::IsEmpty() const
{
    return m_nCount == 0;
}

// Raises the count by one and grows the storage when it is then full;
// on failure the count is lowered again.
bool CUIPtrArray::grow()
{
    if (++m_nCount >= m_nAllocated) {
        int nAllocated = m_nAllocated * 2;
        if (nAllocated == 0)
            nAllocated = 11;
        void** ppVoid = static_cast<void**>(std::realloc(m_ppVoid, nAllocated * sizeof(void*)));
        if (!ppVoid) {
            --m_nCount;
            return false;
        }
        m_nAllocated = nAllocated;
        m_ppVoid = ppVoid;
    }
    return true;
}

bool CUIPtrArray::Add(void* pData)
{
    if (!grow())
        return false;
    m_ppVoid[m_nCount - 1] = pData;
    return true;
}

bool CUIPtrArray::InsertAt(int iIndex, void* pData)
{
    if (iIndex == m_nCount)
        return Add(pData);
    if (iIndex < 0 || iIndex > m_nCount)
        return false;
    if (!grow())
        return false;
    std::memmove(&m_ppVoid[iIndex + 1], &m_ppVoid[iIndex], (m_nCount - iIndex - 1) * sizeof(void*));
    m_ppVoid[iIndex] = pData;
    return true;
}

bool CUIPtrArray::SetAt(int iIndex, void* pData)
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return false;
    m_ppVoid[iIndex] = pData;
    return true;
}

bool CUIPtrArray::Remove(int iIndex)
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return false;
    if (iIndex < --m_nCount)
        std::memmove(m_ppVoid + iIndex, m_ppVoid + iIndex + 1, (m_nCount - iIndex) * sizeof(void*));
    return true;
}

int CUIPtrArray::Find(void* pData) const
{
    for (int i = 0; i < m_nCount; i++)
        if (m_ppVoid[i] == pData)
            return i;
    return -1;
}

int CUIPtrArray::GetSize() const
{
    return m_nCount;
}

void** CUIPtrArray::GetData()
{
    return m_ppVoid;
}

void* CUIPtrArray::GetAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_nCount)
        return nullptr;
    return m_ppVoid[iIndex];
}

void* CUIPtrArray::operator[](int iIndex) const
{
    return m_ppVoid[iIndex];
}
