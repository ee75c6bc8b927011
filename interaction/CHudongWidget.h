#pragma once
// The teacher's interaction palette: a frameless drop-down column of picture
// buttons that opens the room tools (quiz, lottery, countdown, advert
// products) through control commands to the main window, and switches the
// students' doodle board and voice interaction through the client library.
// It hides when it loses activation. GUI thread only.
#include <QVariant>
#include <QWidget>

class QPushButton;

namespace Ui {
class CHudongWidget;
}

class CHudongWidget : public QWidget {
    Q_OBJECT
public:
    explicit CHudongWidget(QWidget* parent = nullptr);
    ~CHudongWidget() override;

    // The room closed or opened the students' doodle board (command 138).
    void SetGraffitiStatus(bool open);
    // The voice-interaction state, as switched here or reset by the room
    // (command 154): emits sgBigOpenMedia and records status 1009.
    void SetBigOpenMediaStatus(bool open);
    // Ends voice interaction through the library when it is on.
    void CloseBigOpenMedia();
    // Leaving the room: both switches off, no library call.
    void ResetData();

    bool IsBigOpenMedia() const { return m_bigOpenMedia; }
    bool IsGraffiti() const { return m_graffiti; }

signals:
    void sgBigOpenMedia(bool open);
    void sgControlCmd(int cmd, const QVariant& var);

public slots:
    void on_closeBtn_clicked();
    void on_btnQuestion_clicked();
    void on_btnLottery_clicked();
    void on_btnCountdown_clicked();
    void on_btnHDAD_clicked();
    void on_btnGraffiti_clicked();
    void on_btnBigOpenMedia_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static void SetButtonStatus(QPushButton* button, bool on);

    Ui::CHudongWidget* ui;          // GUI thread only, like every member
    bool m_graffiti = false;        // the students' doodle board is open
    bool m_bigOpenMedia = false;    // the students' voice interaction is on
};
