#include "skinui/UIDelegate.h"

CDelegateBase::CDelegateBase(void* pObject, void* pFn) : m_pObject(pObject), m_pFn(pFn) {}

CDelegateBase::CDelegateBase(const CDelegateBase& rhs) : m_pObject(rhs.m_pObject), m_pFn(rhs.m_pFn) {}

CDelegateBase::~CDelegateBase() = default;

bool CDelegateBase::Equals(const CDelegateBase& rhs) const
{
    return m_pObject == rhs.m_pObject && m_pFn == rhs.m_pFn;
}

bool CDelegateBase::operator()(void* param)
{
    return Invoke(param);
}

void* CDelegateBase::GetFn() const
{
    return m_pFn;
}

void* CDelegateBase::GetObject() const
{
    return m_pObject;
}

CUIEventSource::~CUIEventSource()
{
    for (int i = 0; i < m_aDelegates.GetSize(); i++)
        delete static_cast<CDelegateBase*>(m_aDelegates[i]);
}

void CUIEventSource::operator+=(const CDelegateBase& d)
{
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        auto* pObject = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (pObject && pObject->Equals(d))
            return;
    }
    CDelegateBase* copy = d.Copy();
    if (!m_aDelegates.Add(copy))
        delete copy;
}

bool CUIEventSource::operator()(void* param)
{
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        auto* pObject = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (pObject && !(*pObject)(param))
            return false;
    }
    return true;
}
