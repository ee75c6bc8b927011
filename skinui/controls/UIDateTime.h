#pragma once
// A label showing a date as year-month-day that, while it has the focus,
// lays the platform's date picker over itself; leaving the picker takes the
// picked date, Backspace or Delete empty the text, Escape keeps it.
// UI thread only.
#include "skinui/controls/UILabel.h"

class CDateTimeWnd;

// How the picker was closed.
enum UIDateTimeUpdate {
    UIDT_NONE = 0,     // nothing yet
    UIDT_UPDATE = 1,   // the date was taken from the picker
    UIDT_DELETE = 2,   // cleared by the user
    UIDT_KEEP = 3,     // cancelled
};

class CDateTimeUI : public CLabelUI
{
    friend class CDateTimeWnd;

public:
    CDateTimeUI();
    ~CDateTimeUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    void HandleEvent(UIEventRecord& event) override;

    SYSTEMTIME& GetTime();
    void SetTime(const SYSTEMTIME* pst);
    // Sets the text from the update state (see UIDateTimeUpdate).
    void UpdateText();
    int GetUpdateState() const;
    // The open picker, or null.
    CDateTimeWnd* GetPicker() const;

protected:
    SYSTEMTIME m_sysTime;
    int m_nDTUpdateFlag;
    BYTE m_bReserved;
    CDateTimeWnd* m_pWindow;
};
