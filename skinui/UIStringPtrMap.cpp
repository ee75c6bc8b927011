#include "skinui/UIStringPtrMap.h"

#include <cstdint>
#include <cstdlib>

unsigned CUIStringPtrMap::HashKey(const char16_t* key)
{
    unsigned h = 0;
    int len = CUIString::StrLen(key);
    while (len-- > 0)
        h = (h << 5) + h + static_cast<unsigned>(static_cast<uint16_t>(key[len]));
    return h;
}

CUIStringPtrMap::CUIStringPtrMap(int nSize) : m_aT(nullptr), m_nBuckets(nSize < 16 ? 16 : nSize), m_nCount(0)
{
    m_aT = new Item*[m_nBuckets]();
}

CUIStringPtrMap::~CUIStringPtrMap()
{
    freeNodes();
    delete[] m_aT;
}

void CUIStringPtrMap::freeNodes()
{
    if (m_aT) {
        for (int i = 0; i < m_nBuckets; i++) {
            Item* pItem = m_aT[i];
            while (pItem) {
                Item* pKill = pItem;
                pItem = pItem->next;
                delete pKill;
            }
            m_aT[i] = nullptr;
        }
    }
    m_nCount = 0;
}

void CUIStringPtrMap::RemoveAll()
{
    freeNodes();
}

void CUIStringPtrMap::Resize(int nSize)
{
    freeNodes();
    delete[] m_aT;
    m_aT = nullptr;
    if (nSize < 0)
        nSize = 0;
    if (nSize > 0)
        m_aT = new Item*[nSize]();
    m_nBuckets = nSize;
}

void* CUIStringPtrMap::Find(const char16_t* key, bool optimize) const
{
    if (m_nBuckets == 0 || m_nCount == 0 || !key)
        return nullptr;
    const unsigned slot = HashKey(key) % m_nBuckets;
    for (Item* pItem = m_aT[slot]; pItem; pItem = pItem->next) {
        if (pItem->Key.Compare(key) == 0) {
            if (optimize && pItem != m_aT[slot]) {
                if (pItem->next)
                    pItem->next->prev = pItem->prev;
                pItem->prev->next = pItem->next;
                pItem->prev = nullptr;
                pItem->next = m_aT[slot];
                pItem->next->prev = pItem;
                m_aT[slot] = pItem;
            }
            return pItem->Data;
        }
    }
    return nullptr;
}

bool CUIStringPtrMap::Insert(const char16_t* key, void* pData)
{
    if (m_nBuckets == 0 || !key)
        return false;
    if (Find(key))
        return false;
    const unsigned slot = HashKey(key) % m_nBuckets;
    Item* pItem = new Item{CUIString(key), pData, nullptr, m_aT[slot]};
    if (pItem->next)
        pItem->next->prev = pItem;
    m_aT[slot] = pItem;
    m_nCount++;
    return true;
}

void* CUIStringPtrMap::Set(const char16_t* key, void* pData)
{
    if (m_nBuckets == 0 || !key)
        return pData;
    if (GetSize() > 0) {
        const unsigned slot = HashKey(key) % m_nBuckets;
        for (Item* pItem = m_aT[slot]; pItem; pItem = pItem->next) {
            if (pItem->Key.Compare(key) == 0) {
                void* pOldData = pItem->Data;
                pItem->Data = pData;
                return pOldData;
            }
        }
    }
    Insert(key, pData);
    return nullptr;
}

bool CUIStringPtrMap::Remove(const char16_t* key)
{
    if (m_nBuckets == 0 || GetSize() == 0 || !key)
        return false;
    const unsigned slot = HashKey(key) % m_nBuckets;
    Item** ppItem = &m_aT[slot];
    while (*ppItem) {
        if ((*ppItem)->Key.Compare(key) == 0) {
            Item* pKill = *ppItem;
            *ppItem = pKill->next;
            if (pKill->next)
                pKill->next->prev = pKill->prev;
            delete pKill;
            m_nCount--;
            return true;
        }
        ppItem = &((*ppItem)->next);
    }
    return false;
}

int CUIStringPtrMap::GetSize() const
{
    return m_nCount;
}

const char16_t* CUIStringPtrMap::GetAt(int iIndex) const
{
    if (m_nBuckets == 0 || GetSize() == 0 || iIndex < 0)
        return nullptr;
    int pos = 0;
    int len = m_nBuckets;
    while (len--) {
        for (Item* pItem = m_aT[len]; pItem; pItem = pItem->next) {
            if (pos++ == iIndex)
                return pItem->Key.GetData();
        }
    }
    return nullptr;
}

const char16_t* CUIStringPtrMap::operator[](int nIndex) const
{
    return GetAt(nIndex);
}
