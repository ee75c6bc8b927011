#pragma once
// Base of a top-level window whose whole content is drawn from an XML skin:
// loads the skin when the window is created, draws its own caption and frame
// (the skin's caption band drags the window), rounds its corners, keeps a
// maximised window inside the work area and offers one handler per common
// message. UI thread only.

#include "skinui/UIDlgBuilder.h"
#include "skinui/UIManager.h"
#include "skinui/UIWindowWnd.h"

enum UILIB_RESOURCETYPE {
    UILIB_FILE = 1,       // plain files in the skin folder
    UILIB_ZIP = 2,        // a zip file in the skin folder
    UILIB_RESOURCE = 3,   // the skin XML is a resource of type "xml"
    UILIB_ZIPRESOURCE = 4 // a zip held in a resource of type "ZIPRES"
};

// The message shown (caption "SkinUI") when a skin cannot be built; the
// process then ends with this exit code.
constexpr int kSkinLoadFailureExitCode = 1;

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback
{
public:
    WindowImplBase();
    ~WindowImplBase() override;

    virtual void InitWindow();
    void OnFinalMessage(HWND hWnd) override;
    void Notify(UINotifyMsg& msg) override;
    const UINotifyMap* GetMessageMap() const override;
    static const UINotifyMap* GetThisMessageMap();

    CUIWindowManager& GetManager() { return m_PaintManager; }

protected:
    virtual void OnClick(UINotifyMsg& msg);
    virtual CUIString GetSkinFolder();
    virtual CUIString GetSkinFile() = 0;
    virtual UILIB_RESOURCETYPE GetSkinSource();
    virtual CUIString GetSkinZipName();
    virtual int GetSkinResourceId();

    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    CControlUI* CreateControl(const char16_t* pstrClass) override;

    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT HandleOtherMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LONG GetStyle();

    // Shows the load failure and ends the process (never an empty window).
    [[noreturn]] void failSkinLoad(const CUIString& what);

    CUIWindowManager m_PaintManager;

private:
    void clickDispatch(UINotifyMsg& msg) { OnClick(msg); }
};
