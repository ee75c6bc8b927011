#pragma once
// Growable array of untyped pointers; never owns what the elements point to.

class CUIPtrArray
{
public:
    explicit CUIPtrArray(int iPreallocSize = 0);
    CUIPtrArray(const CUIPtrArray& src);
    CUIPtrArray& operator=(const CUIPtrArray& src) = delete;
    ~CUIPtrArray();

    void Empty();
    void Resize(int iSize);
    bool IsEmpty() const;
    int Find(void* iIndex) const;
    bool Add(void* pData);
    bool SetAt(int iIndex, void* pData);
    bool InsertAt(int iIndex, void* pData);
    bool Remove(int iIndex);
    int GetSize() const;
    void** GetData();

    void* GetAt(int iIndex) const;
    void* operator[](int nIndex) const;

private:
    bool grow();

    void** m_ppVoid;
    int m_nCount;
    int m_nAllocated;
};
