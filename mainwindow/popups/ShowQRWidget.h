#pragma once
// The "手机/ipad辅助上课" pop-up: a QR code that the teacher's mobile app scans
// to sign in as an aid in class, and the list of devices authorised so far,
// each of which the teacher can stop with a click (after a confirmation).
// A separate window outside live rooms (hidden when it loses activation),
// a child of its parent in live rooms. GUI thread only.
#include <QVariant>
#include <QWidget>

#include <string>

class MsgBox;

namespace Ui {
class ShowQRWidget;
}

class ShowQRWidget : public QWidget {
    Q_OBJECT
public:
    explicit ShowQRWidget(QWidget* parent);
    ~ShowQRWidget() override;

    // Renews the QR code from the session's token and user name and shows
    // the pop-up; without a token no code is shown.
    void ShowQR();
    // Takes the first row of that user out, stops its authorisation in the
    // client library, and forgets the device in the session data.
    void RemoveAppDev(QString userId);

    // The text the QR code carries: {"command": "authorize", "data":
    // {"name": N, "token": T}}, keys ascending, ", " and ": " separators.
    static std::string BuildQRText(const QString& token, const QString& name);
    std::string QRText() const { return m_qrText; }
    std::string QRFile() const { return m_qrFile; }
    // The rows of the device list, in order.
    QList<QWidget*> DeviceRows() const;
    // The icon a device type shows; empty when none matches.
    static QString DeviceIcon(const QString& devType);

public slots:
    void onAuthAppDev(QVariant devinfo, bool bOK);
    void on_closeBtn_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void AskStopDevice(QWidget* row);
    void OnStopBoxClosed(bool bOk, MsgBox* box);

    Ui::ShowQRWidget* ui;   // GUI thread only, like every member
    std::string m_qrText;   // UTF-8: the JSON last encoded
    std::string m_qrFile;   // the PNG that holds its code
};
