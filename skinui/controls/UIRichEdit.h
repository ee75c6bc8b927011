#pragma once
// A multi-line text editor hosted in a container. It needs the platform's
// windowless rich-text services; where they are missing (as here) the host
// is never created: the control keeps its text, attributes, layout, scroll
// bars and its Tab answer, paints its background and border, and ignores
// input, with a trace line saying why. UI thread only.
#include "skinui/UIContainer.h"
#include "skinui/UIManager.h"

class CRichEditUI : public CContainerUI, public IMessageFilterUI
{
public:
    // Edit style bits the host would be given.
    enum StyleBit : LONG {
        StyleCenter = 0x0001,
        StyleRight = 0x0002,
        StyleMultiLine = 0x0004,
        StylePassword = 0x0020,
        StyleAutoVScroll = 0x0040,
        StyleAutoHScroll = 0x0080,
        StyleReadOnly = 0x0800,
        StyleNumber = 0x2000,
        StyleDisableNoScroll = 0x2000000,
        StyleHScroll = 0x00100000,
        StyleVScroll = 0x00200000,
    };

    CRichEditUI();
    ~CRichEditUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void OnAttached() override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    // Sends a message to the text engine; 1 (nothing sent) without one.
    virtual HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) const;
    virtual bool OnTxViewChanged();
    virtual void OnTxNotify(DWORD iNotify, void* pv);

    bool IsWantTab() const;
    void SetWantTab(bool bWantTab = true);
    bool IsWantReturn() const;
    void SetWantReturn(bool bWantReturn = true);
    bool IsWantCtrlReturn() const;
    void SetWantCtrlReturn(bool bWantCtrlReturn = true);
    bool IsRich() const;
    void SetRich(bool bRich = true);
    bool IsReadOnly() const;
    int GetFont() const;
    void SetFont(int index);
    DWORD GetTextColor() const;
    void SetTextColor(DWORD dwTextColor);
    int GetLimitText() const;
    LONG GetWinStyle() const;
    // True once the text engine exists (never on this platform).
    bool HasTextHost() const;

private:
    bool m_bWantTab;
    bool m_bWantReturn;
    bool m_bWantCtrlReturn;
    bool m_bRich;
    bool m_bReadOnly;
    DWORD m_dwTextColor;
    int m_iFont;
    int m_iLimitText;
    LONG m_lTwhStyle;
    bool m_bFilterRegistered;
};
