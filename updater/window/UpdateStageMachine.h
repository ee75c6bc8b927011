#pragma once
// What the updater's window shows, as plain data: the engine's reports
// (kinds 0 to 16) move the stage and change the action text, the progress
// bar, the percentage and the buttons. The window copies the view onto its
// controls after each step; the tests drive it without a window.
// Window thread only.
#include "updater/engine/UpdateProgress.h"

#include <string>

namespace korvanel {

// What the buttons do next.
enum class Stage : int {
    StartDownload = 0,  // btnNext starts the download
    StartInstall = 1,   // btnNext starts the installation
    Failed = 2,         // btnOK opens the manual download page
    Finished = 3,       // btnOK starts the main program
};

struct UpdateView {
    Stage stage = Stage::Failed;
    std::u16string title = u"Miravo老师端升级中...";
    std::u16string action;        // currentAction
    bool actionVisible = true;
    std::u16string tip;           // progressTip: the percentage
    bool tipVisible = true;
    bool barVisible = false;      // stateLayout, the bar's track
    int barWidth = 1;             // currentState, the bar's filled part
    bool nextVisible = false;     // btnNext
    bool okVisible = false;       // btnOK
    std::u16string okText = u"确定";
};

// What the window does after a step besides showing the view.
enum class StageAction { None, StartDownload, StartInstall };

struct StepResult {
    bool hasRow = false;
    std::u16string row;  // a new row of the report list
    StageAction start = StageAction::None;
};

// What a press of btnOK does.
enum class FinalAction { StartProgram, OpenDownloadPage };

class UpdateStageMachine {
public:
    static constexpr int kTrackWidth = 450;

    explicit UpdateStageMachine(int trackWidth = kTrackWidth) : m_trackWidth(trackWidth) {}

    // One report; record may be null (kinds without one). Its text is taken
    // from the narrow text when that is not empty.
    StepResult apply(int kind, const update::UpdateProgress* record);
    // A press of btnNext (also made by the machine itself on kinds 4 and 6).
    StepResult pressNext();
    // A press of btnOK (or of the close button).
    FinalAction pressOk() const
    {
        return m_view.stage == Stage::Finished ? FinalAction::StartProgram : FinalAction::OpenDownloadPage;
    }
    // The main program could not be started: say so and keep btnOK for another try.
    void programStartFailed(const std::u16string& program);

    const UpdateView& view() const { return m_view; }

    // Percentage text and filled width of the bar for one count report.
    static std::u16string percentText(const update::UpdateProgress& record);
    static int barWidth(const update::UpdateProgress& record, int trackWidth);

private:
    void fail(const std::u16string& action);

    int m_trackWidth;
    UpdateView m_view;
};

}  // namespace korvanel
