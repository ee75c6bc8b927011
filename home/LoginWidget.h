#pragma once
// The sign-in window: account and password or phone and code, remembered
// password and automatic sign-in, registration and password reset, each
// request sent to the client library and answered through LoginResult.
//
// Implementation by concern: LoginWidget.cpp (form, frame, sign-in),
// LoginWidgetCodes.cpp (codes, registration, reset, countdowns).
#include "widgets/TitleDrag.h"

#include <QPoint>
#include <QVariant>
#include <QWidget>

class ClientLib;
class QPushButton;
namespace Ui {
class LoginWidget;
}

class LoginWidget : public QWidget {
    Q_OBJECT

public:
    explicit LoginWidget(QWidget* parent = nullptr);
    ~LoginWidget() override;

    // Loads the remembered credentials; false when an automatic sign-in
    // went out (the window stays hidden), true when the window was shown.
    bool ShowLogin();
    // Mode 1 account and password, 2 phone and code; true when the library
    // took the request.
    bool DoLogin(int mode);
    // Every HTTP result of the client library passes through here first.
    void LoginResult(int type, const QVariant& data);
    // The per-second tick: advances the resend countdowns.
    void OnTimerUpdate(int tick);
    // 6..16 characters with at least one ASCII digit and one ASCII letter.
    static bool CheckPassword(const QString& password);

    int Mode() const { return m_nMode; }

signals:
    void exitApp();

public slots:
    void OnButtonClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    static ClientLib* clientLib();
    void showTab(int mode);
    void onLoginFieldsChanged();
    void onRegisterFieldsChanged();
    void onSavePasswordChanged(int state);
    void onAutoLoginChanged(int state);
    void onSignInResult(int type, const QVariantMap& result);
    void onCodeResult(const QVariantMap& result);
    void onAccountResult(int type, const QVariantMap& result);
    void requestCode(QPushButton* button, const QString& phone, int kind);
    void showRegisterPage(bool reg);
    void submitRegister();
    void returnToLogin();
    void signInWithNewAccount();

    // The top band the window is dragged by.
    static constexpr int kDragBand = 66;

    // GUI thread only.
    TitleDrag m_drag{this, kDragBand};  // frameless drag by the top band
    Ui::LoginWidget* ui = nullptr;
    int m_nMode = 1;
};
