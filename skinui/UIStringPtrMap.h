#pragma once
// String-keyed hash map of untyped pointers. Frees its nodes and keys, never
// the values. Buckets are fixed at construction; hits move to the head of
// their chain.

#include "skinui/UIString.h"

class CUIStringPtrMap
{
public:
    explicit CUIStringPtrMap(int nSize = 83);
    CUIStringPtrMap(const CUIStringPtrMap&) = delete;
    CUIStringPtrMap& operator=(const CUIStringPtrMap&) = delete;
    ~CUIStringPtrMap();

    void Resize(int nSize = 83);
    void* Find(const char16_t* key, bool optimize = true) const;
    bool Insert(const char16_t* key, void* pData);
    void* Set(const char16_t* key, void* pData);
    bool Remove(const char16_t* key);
    void RemoveAll();
    int GetSize() const;
    const char16_t* GetAt(int iIndex) const;
    const char16_t* operator[](int nIndex) const;

    static unsigned HashKey(const char16_t* key);

    // Number of buckets (for tests and diagnostics).
    int GetBucketCount() const { return m_nBuckets; }

private:
    struct Item
    {
        CUIString Key;
        void* Data;
        Item* prev;
        Item* next;
    };

    void freeNodes();

    Item** m_aT;
    int m_nBuckets;
    int m_nCount;
};
