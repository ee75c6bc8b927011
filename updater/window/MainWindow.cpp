// The window's life: creation, the skin's controls, the progress messages
// and the end of the window.
#include "updater/window/MainWindow.h"

#include "skinui/controls/UIButton.h"
#include "skinui/controls/UILabel.h"
#include "skinui/layouts/UIHorizontalLayout.h"
#include "updater/window/UpdateMsgList.h"

#include <memory>

namespace korvanel {

namespace {

// The named control when it has the interface, else null.
template <class T>
T* findAs(CUIWindowManager& manager, const char16_t* name, const char16_t* iface)
{
    CControlUI* c = manager.FindControl(name);
    return c ? static_cast<T*>(c->GetInterface(iface)) : nullptr;
}

}  // namespace

MainWindow::MainWindow() : MainWindow(update::UpdateEngine::Options()) {}

MainWindow::MainWindow(update::UpdateEngine::Options options) : m_engine(std::move(options))
{
    m_engine.SetReceiver(&m_poster);
}

MainWindow::~MainWindow()
{
    // A window destroyed without its final message still stops its worker
    // before the poster goes.
    m_poster.setWindow(nullptr);
    m_engine.Cancel();
    m_engine.Wait();
}

CControlUI* MainWindow::CreateControl(const char16_t* pstrClass)
{
    if (wcscmp(pstrClass, u"UpdateMsgList") == 0)
        return new CUpdateMsgList(&m_PaintManager);
    return nullptr;
}

void MainWindow::InitWindow()
{
    m_labTitle = findAs<CLabelUI>(m_PaintManager, u"labTitle", u"Label");
    m_btnClose = findAs<CButtonUI>(m_PaintManager, u"btnClose", u"Button");
    m_btnOK = findAs<CButtonUI>(m_PaintManager, u"btnOK", u"Button");
    m_btnNext = findAs<CButtonUI>(m_PaintManager, u"btnNext", u"Button");
    m_currentAction = findAs<CLabelUI>(m_PaintManager, u"currentAction", u"Label");
    m_progressTip = findAs<CLabelUI>(m_PaintManager, u"progressTip", u"Label");
    m_currentState = m_PaintManager.FindControl(u"currentState");
    m_stateLayout = findAs<CHorizontalLayoutUI>(m_PaintManager, u"stateLayout", u"HorizontalLayout");
    m_updateMsgList = dynamic_cast<CUpdateMsgList*>(m_PaintManager.FindControl(u"updateMsgList"));

    if (m_btnClose)
        m_btnClose->SetVisible(false);
    if (m_stateLayout && m_stateLayout->GetFixedWidth() > 0)
        m_stages = UpdateStageMachine(m_stateLayout->GetFixedWidth());
    if (m_labTitle) {
        m_labTitle->SetFont(0);
        m_labTitle->SetText(m_stages.view().title.c_str());
    }
    showView();

    m_poster.setWindow(m_hWnd);
    m_engine.StartCheck();
}

LRESULT MainWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCLBUTTONDBLCLK)
        return 0;  // a double click on the caption does not maximise
    if (uMsg == UM_UPDATE_PROGRESS)
        onProgress(static_cast<int>(wParam), reinterpret_cast<update::UpdateProgress*>(lParam));
    if (uMsg == WM_CLOSE && m_stages.view().stage == Stage::StartInstall) {
        // Files are being replaced: the window stays until the installation
        // has reported its end.
        return 0;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void MainWindow::onProgress(int kind, update::UpdateProgress* raw)
{
    std::unique_ptr<update::UpdateProgress> record(raw);
    if (record && !record->narrowText.empty())
        record->text = update::utf16(record->narrowText);
    const StepResult step = m_stages.apply(kind, record.get());
    record.reset();
    showView();
    if (step.hasRow && m_updateMsgList) {
        m_updateMsgList->AddMessage(step.row.c_str());
        m_updateMsgList->ScrollToEnd();
    }
    startStage(step.start);
}

void MainWindow::startStage(StageAction action)
{
    if (action == StageAction::StartDownload)
        m_engine.StartDownload();
    else if (action == StageAction::StartInstall)
        m_engine.StartInstall();
}

void MainWindow::showView()
{
    const UpdateView& v = m_stages.view();
    if (m_currentAction) {
        m_currentAction->SetText(v.action.c_str());
        m_currentAction->SetVisible(v.actionVisible);
    }
    if (m_progressTip) {
        m_progressTip->SetText(v.tip.c_str());
        m_progressTip->SetVisible(v.tipVisible);
    }
    if (m_stateLayout)
        m_stateLayout->SetVisible(v.barVisible);
    if (m_currentState)
        m_currentState->SetFixedWidth(v.barWidth);
    if (m_btnNext)
        m_btnNext->SetVisible(v.nextVisible);
    if (m_btnOK) {
        m_btnOK->SetText(v.okText.c_str());
        m_btnOK->SetVisible(v.okVisible);
    }
}

LRESULT MainWindow::OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    // A check or download is stopped, an installation finishes; then no
    // worker posts any more and what is still queued is freed.
    m_poster.setWindow(nullptr);
    m_engine.Cancel();
    m_engine.Wait();
    WindowProgressPoster::discardQueued(m_hWnd);
    return WindowImplBase::OnDestroy(uMsg, wParam, lParam, bHandled);
}

void MainWindow::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    ::PostQuitMessage(0);
}

}  // namespace korvanel
