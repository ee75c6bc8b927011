#pragma once
// Delegates bind a handler (an object and a function of it) so a control can
// call it back without knowing its type; an event source is the ordered list
// of delegates attached to one event of one control.

#include "skinui/UIPtrArray.h"

class CDelegateBase
{
public:
    CDelegateBase(void* pObject, void* pFn);
    CDelegateBase(const CDelegateBase& rhs);
    CDelegateBase& operator=(const CDelegateBase&) = delete;
    virtual ~CDelegateBase();
    bool Equals(const CDelegateBase& rhs) const;
    bool operator()(void* param);
    virtual CDelegateBase* Copy() const = 0; // caller owns the copy

protected:
    void* GetFn() const;
    void* GetObject() const;
    virtual bool Invoke(void* param) = 0;

private:
    void* m_pObject;
    void* m_pFn;
};

// A member function handler of class O. The member pointer is kept whole;
// its address bytes identify the handler for Equals.
template <class O, class T>
class CDelegate : public CDelegateBase
{
    typedef bool (T::*Fn)(void*);

public:
    CDelegate(O* pObj, Fn pFn) : CDelegateBase(pObj, fnKey(pFn)), m_pFn(pFn) {}
    CDelegate(const CDelegate& rhs) : CDelegateBase(rhs), m_pFn(rhs.m_pFn) {}
    CDelegateBase* Copy() const override { return new CDelegate(*this); }

protected:
    bool Invoke(void* param) override
    {
        O* pObject = static_cast<O*>(GetObject());
        return (pObject->*m_pFn)(param);
    }

private:
    // Member pointers have no portable address; their first word is used as
    // the identity (the function address for non-virtual members, the table
    // offset for virtual ones), which is what Equals compares.
    static void* fnKey(Fn pFn)
    {
        union {
            Fn fn;
            void* p[sizeof(Fn) / sizeof(void*) + 1];
        } u{};
        u.fn = pFn;
        return u.p[0];
    }
    Fn m_pFn;
};

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* pObject, bool (T::*pFn)(void*))
{
    return CDelegate<O, T>(pObject, pFn);
}

class CUIEventSource
{
public:
    CUIEventSource() = default;
    CUIEventSource(const CUIEventSource&) = delete;
    CUIEventSource& operator=(const CUIEventSource&) = delete;
    ~CUIEventSource();

    // Nothing happens when an equal delegate is attached already; otherwise a
    // copy is appended (the caller keeps its own delegate).
    void operator+=(const CDelegateBase& d);
    void Add(const CDelegateBase& d) { *this += d; }

    bool HasHandlers() const { return !m_aDelegates.IsEmpty(); }
    // Calls each handler in order; the first false stops and is returned.
    bool operator()(void* param);
    bool Fire(void* param) { return (*this)(param); }

protected:
    CUIPtrArray m_aDelegates;
};
