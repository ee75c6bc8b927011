#pragma once
// The updater's only window: shows the check, the download and the
// installation as the engine reports them (UM_UPDATE_PROGRESS), and ends by
// starting the main program or by opening the manual download page.
// UI thread only, except the engine's worker, which only posts.
#include "skinui/WindowImplBase.h"
#include "updater/engine/UpdateEngine.h"
#include "updater/window/UpdateStageMachine.h"
#include "updater/window/WindowProgressPoster.h"

class CButtonUI;
class CLabelUI;
class CHorizontalLayoutUI;
class CUpdateMsgList;

namespace korvanel {

class MainWindow : public WindowImplBase
{
public:
    MainWindow();
    explicit MainWindow(update::UpdateEngine::Options options);
    ~MainWindow() override;

    // The program started at the end: <install folder>/bin/32bit/Veltora.
    std::string programPath() const;
    const UpdateView& view() const { return m_stages.view(); }
    update::UpdateEngine& engine() { return m_engine; }

protected:
    const char16_t* GetWindowClassName() const override { return u"MainWindow"; }
    CUIString GetSkinFile() override { return CUIString(u"Korvanel.xml"); }
    CControlUI* CreateControl(const char16_t* pstrClass) override;
    void InitWindow() override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;
    void OnClick(UINotifyMsg& msg) override;

private:
    void onProgress(int kind, update::UpdateProgress* record);
    void startStage(StageAction action);
    void showView();
    bool startProgram();
    void openDownloadPage();

    UpdateStageMachine m_stages;  // what is shown and the stage (btnOK/btnNext)

    CLabelUI* m_labTitle = nullptr;
    CButtonUI* m_btnClose = nullptr;
    CButtonUI* m_btnOK = nullptr;
    CButtonUI* m_btnNext = nullptr;
    CUpdateMsgList* m_updateMsgList = nullptr;
    CLabelUI* m_currentAction = nullptr;
    CLabelUI* m_progressTip = nullptr;
    CControlUI* m_currentState = nullptr;
    CHorizontalLayoutUI* m_stateLayout = nullptr;

    WindowProgressPoster m_poster;  // declared before the engine: outlives its worker
    update::UpdateEngine m_engine;
};

}  // namespace korvanel
