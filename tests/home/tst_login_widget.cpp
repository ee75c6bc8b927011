// The login window against the demo school of the client library: field
// checks, sign-in by account and by phone code, failures and time-outs,
// remembered password and automatic sign-in across two starts, codes,
// registration and password reset, the frame.
#include "tests/home/HomeTestSupport.h"
#include "app/CData.h"
#include "app/CSettings.h"
#include "home/LoginWidget.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QValidator>

using namespace hometest;

namespace {

const QString kAccount = "13800138000";
const QString kPassword = "veltora123";
const QString kCode = "2468";

QString u(const char* s) { return QString::fromUtf8(s); }

// A login window wired to the library's results as the main window does.
struct Login {
    LoginWidget w;
    Login()
    {
        useProgramStyle();
        onHttpResult(&w, [this](int type, QVariant data) { w.LoginResult(type, data); });
    }
    template <typename T>
    T* get(const char* name) { return w.findChild<T*>(name); }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
    QPushButton* button(const char* name) { return get<QPushButton>(name); }
    QString message() { return get<QLabel>("labMessage")->text(); }
    QString message2() { return get<QLabel>("labMessage2")->text(); }
    int page() { return get<QStackedWidget>("mainStackedWidget")->currentIndex(); }
};

void resetSettings()
{
    CSettings* s = CSettings::instance();
    for (const char* key : {"UserName", "SavePawd", "AutoLogin", "UserPawd", "UserSid"})
        s->remove(key);
    CData::instance()->SetStatus(1, 0);
}

}  // namespace

TEST(LoginWidget, FormStartsAsDesigned)
{
    lib();
    Login l;
    EXPECT_EQ(l.w.windowTitle(), "vtlogintea");
    EXPECT_EQ(l.w.size(), QSize(371, 526));
    EXPECT_TRUE(l.w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(l.button("btnLogin")->isEnabled());
    EXPECT_FALSE(l.button("btnSubmit")->isEnabled());
    EXPECT_FALSE(l.button("btnGetCode2")->isEnabled());
    EXPECT_TRUE(l.button("btnGetCode")->isHidden());
    EXPECT_TRUE(l.button("btnReturn")->isHidden());
    EXPECT_EQ(l.page(), 1);  // the form leaves the register page; ShowLogin selects page 0
    EXPECT_EQ(l.w.Mode(), 1);
    // Tab order as designed, starting from the close button.
    QStringList order;
    QWidget* w = l.button("btnClose");
    for (int i = 0; i < 6; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        order << w->objectName();
    }
    EXPECT_EQ(order, QStringList({"btnClose", "btnLogin", "btnAccount", "btnPhone", "edtUser", "edtPssd"}));
}

TEST(LoginWidget, ValidatorsAcceptOnlyThePhoneAndPasswordShapes)
{
    Login l;
    struct Case {
        const char* edit;
        const char* text;
        bool accepted;  // not refused outright (intermediate counts as accepted)
    };
    const Case cases[] = {
        {"edtUser", "1", true},           {"edtUser", "13800138000", true}, {"edtUser", "138001380001", false},
        {"edtUser", "23800138000", false}, {"edtUser", "1380a", false},      {"linePhone", "13912345678", true},
        {"linePhone", "0", false},        {"edtPssd", "abcXYZ019", true},   {"edtPssd", "abc def", false},
        {"edtPssd", u8"密码", false},      {"linePass1", "a-b", false},      {"linePass2", "Z9", true},
        {"lineCode", u8"任何 text!", true},
    };
    for (const Case& c : cases) {
        QLineEdit* e = l.edit(c.edit);
        QString text = QString::fromUtf8(c.text);
        int pos = 0;
        const bool accepted = !e->validator() || e->validator()->validate(text, pos) != QValidator::Invalid;
        EXPECT_EQ(accepted, c.accepted) << c.edit << " " << c.text;
    }
    // Typing goes through the validator too.
    l.edit("edtUser")->clear();
    QTest::keyClicks(l.edit("edtUser"), "2x1380013800099");
    EXPECT_EQ(l.edit("edtUser")->text(), "13800138000");
}

TEST(LoginWidget, FieldChecksShowTheirMessageAndSendNothing)
{
    lib();
    resetSettings();
    Login l;
    struct Case {
        int mode;
        const char* user;
        const char* secret;
        const char* message;
    };
    const Case cases[] = {
        {1, "", "abc123", "请输入手机号"},        {1, "1380013800", "abc123", "手机号格式错误"},
        {1, "13800138000", "", "密码不符合要求"}, {2, "", "2468", "请输入手机号"},
        {2, "13800138000", "", "请输入验证码"},   {2, "13800138000", "246", "验证码无效"},
    };
    ClientLibTestControl::ClearCalls(lib());
    for (const Case& c : cases) {
        l.edit("edtUser")->setText(c.user);
        l.edit("edtPssd")->setText(c.secret);
        EXPECT_FALSE(l.w.DoLogin(c.mode));
        EXPECT_EQ(l.message(), u(c.message)) << c.user << "/" << c.secret;
        // The typed account is stored before any check.
        EXPECT_EQ(CSettings::instance()->GetValue("UserName").toString(), QString(c.user));
    }
    EXPECT_TRUE(callsNamed("Login").isEmpty());
    EXPECT_TRUE(callsNamed("LoginBySmsCode").isEmpty());
}

TEST(LoginWidget, AccountSignInSucceedsAndWrongPasswordIsRefused)
{
    lib();
    resetSettings();
    Login l;
    ASSERT_TRUE(l.w.ShowLogin());
    EXPECT_EQ(l.page(), 0);
    screenshot(&l.w, "login_page.png");

    l.get<QCheckBox>("chkSavePasw")->setChecked(false);
    l.edit("edtUser")->setText(kAccount);
    l.edit("edtPssd")->setText("wrong1");
    QTest::mouseClick(l.button("btnLogin"), Qt::LeftButton);
    EXPECT_FALSE(l.button("btnLogin")->isEnabled());  // request in flight
    ASSERT_TRUE(testsupport::waitUntil([&] { return !l.message().isEmpty(); }));
    EXPECT_TRUE(l.message().endsWith("(code=1001)")) << l.message().toStdString();
    EXPECT_TRUE(l.w.isVisible());
    EXPECT_TRUE(l.button("btnLogin")->isEnabled());
    EXPECT_FALSE(CData::instance()->GetStatus(1));
    screenshot(&l.w, "login_wrong_password.png");

    l.edit("edtPssd")->setText(kPassword);
    QTest::mouseClick(l.button("btnLogin"), Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !l.w.isVisible(); }));
    EXPECT_TRUE(CData::instance()->GetStatus(1));
    EXPECT_TRUE(l.message().isEmpty());
    EXPECT_TRUE(l.edit("edtPssd")->text().isEmpty());  // not remembered: cleared
    const QVariantList args = callsNamed("Login").last().args;
    EXPECT_EQ(args, QVariantList({kAccount, kPassword, "86"}));
}

TEST(LoginWidget, PhoneCodeSignInWithTheCodeTheSchoolSends)
{
    lib();
    resetSettings();
    Login l;
    l.w.ShowLogin();
    QTest::mouseClick(l.button("btnPhone"), Qt::LeftButton);
    EXPECT_EQ(l.w.Mode(), 2);
    EXPECT_FALSE(l.button("btnGetCode")->isHidden());
    EXPECT_EQ(l.edit("edtPssd")->echoMode(), QLineEdit::Normal);
    l.edit("edtUser")->setText(kAccount);
    ASSERT_TRUE(l.button("btnGetCode")->isEnabled());
    QTest::mouseClick(l.button("btnGetCode"), Qt::LeftButton);
    EXPECT_FALSE(l.button("btnGetCode")->isEnabled());
    EXPECT_EQ(l.button("btnGetCode")->text(), u("重新发送(60s)"));
    EXPECT_EQ(callsNamed("GetSmsCode").last().args, QVariantList({kAccount, "86", 3}));
    screenshot(&l.w, "login_phone_tab.png");

    l.edit("edtPssd")->setText(kCode);
    ASSERT_TRUE(l.w.DoLogin(2));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !l.w.isVisible(); }));
    EXPECT_TRUE(l.edit("edtPssd")->text().isEmpty());  // a used code never stays
    // The countdown ends at the next tick after the sign-in.
    l.w.OnTimerUpdate(1);
    EXPECT_TRUE(l.button("btnGetCode")->isEnabled());
    EXPECT_EQ(l.button("btnGetCode")->text(), u("获取验证码"));
}

TEST(LoginWidget, FailuresAndTimeOutsOfTheLibraryShowTheirMessages)
{
    lib();
    resetSettings();
    Login l;
    l.w.ShowLogin();
    struct Case {
        int type;
        QVariantMap result;
        const char* message;
    };
    const Case cases[] = {
        {RsC_Http_Login, {{"code", -100}, {"errMsg", ""}}, "网络异常"},
        {RsC_Http_Login, {{"code", 5}, {"errMsg", ""}}, "登录失败(code=5)"},
        {RsC_Http_LoginByCode, {{"code", 5}, {"errMsg", "<b>bad</b>"}}, "<b>bad</b>(code=5)"},
        {RsC_Http_LoginBySid, {{"code", 7}, {"errMsg", "x"}}, ""},
    };
    for (const Case& c : cases) {
        CSettings::instance()->SetValue("UserSid", "old");
        l.w.LoginResult(c.type, c.result);
        EXPECT_EQ(l.message(), u(c.message));
        EXPECT_EQ(CSettings::instance()->GetValue("UserSid").toString(), "");
    }
    // A code answer for the login page clears its message, shown or not.
    l.get<QLabel>("labMessage")->setText("old");
    QTest::mouseClick(l.button("btnRegister"), Qt::LeftButton);
    l.w.LoginResult(RsC_Http_SmsCode, QVariantMap{{"code", 0}, {"user_data", QVariantMap{{"type", 3}}}});
    EXPECT_TRUE(l.message().isEmpty());
    QTest::mouseClick(l.button("btnReturn"), Qt::LeftButton);
    // Server texts are shown as they are, never as markup.
    EXPECT_EQ(l.get<QLabel>("labMessage")->textFormat(), Qt::PlainText);

    // A request the library cannot serve in time: answered with the
    // time-out code, shown as a network failure; the button comes back.
    ClientLibTestControl::SetRequestTimeout(lib(), 300);
    ClientLibTestControl::DelayNextRequest(lib(), 5000);
    l.edit("edtUser")->setText(kAccount);
    l.edit("edtPssd")->setText(kPassword);
    l.w.LoginResult(RsC_Http_ResetPassword + 100, {});  // other types are ignored
    ASSERT_TRUE(l.w.DoLogin(1));
    l.get<QLabel>("labMessage")->clear();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !l.message().isEmpty(); }));
    EXPECT_TRUE(l.message().startsWith(u("网络异常"))) << l.message().toStdString();
    EXPECT_TRUE(l.button("btnLogin")->isEnabled());
    ClientLibTestControl::FailNextRequest(lib(), -100);
    ASSERT_TRUE(l.w.DoLogin(1));
    l.get<QLabel>("labMessage")->clear();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !l.message().isEmpty(); }));
    EXPECT_TRUE(l.message().startsWith(u("网络异常")));
    ClientLibTestControl::SetRequestTimeout(lib(), 10000);
}

TEST(LoginWidget, RememberedPasswordAndAutoLoginAcrossTwoStarts)
{
    lib();
    resetSettings();
    {
        Login first;
        ASSERT_TRUE(first.w.ShowLogin());
        EXPECT_TRUE(first.get<QCheckBox>("chkSavePasw")->isChecked());  // default 1
        first.get<QCheckBox>("chkAutoLogin")->setChecked(true);
        first.edit("edtUser")->setText(kAccount);
        first.edit("edtPssd")->setText(kPassword);
        ASSERT_TRUE(first.w.DoLogin(1));
        ASSERT_TRUE(testsupport::waitUntil([&] { return !first.w.isVisible(); }));
        EXPECT_EQ(first.edit("edtPssd")->text(), kPassword);  // remembered: kept
    }
    // Neither the password nor the session id is stored in clear.
    CSettings* s = CSettings::instance();
    s->sync();
    QFile ini(s->fileName());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray stored = ini.readAll();
    EXPECT_FALSE(stored.contains(kPassword.toUtf8()));
    EXPECT_FALSE(s->GetValue("UserPawd").toString().isEmpty());
    EXPECT_FALSE(s->GetValue("UserSid").toString().isEmpty());
    EXPECT_EQ(lib()->DecryptText(s->GetValue("UserPawd").toString(), "tamblor592"), kPassword);

    // Second start: signs in by itself, the window stays hidden.
    CData::instance()->SetStatus(1, 0);
    ClientLibTestControl::ClearCalls(lib());
    Login second;
    EXPECT_FALSE(second.w.ShowLogin());
    EXPECT_FALSE(second.w.isVisible());
    EXPECT_EQ(callsNamed("Login").size(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return CData::instance()->GetStatus(1); }));
    EXPECT_FALSE(second.w.isVisible());

    // The phone tab and back restore the password only for that account.
    QTest::mouseClick(second.button("btnPhone"), Qt::LeftButton);
    EXPECT_TRUE(second.edit("edtPssd")->text().isEmpty());
    QTest::mouseClick(second.button("btnAccount"), Qt::LeftButton);
    EXPECT_EQ(second.edit("edtPssd")->text(), kPassword);
    second.edit("edtUser")->setText("13900000000");
    QTest::mouseClick(second.button("btnPhone"), Qt::LeftButton);
    QTest::mouseClick(second.button("btnAccount"), Qt::LeftButton);
    EXPECT_TRUE(second.edit("edtPssd")->text().isEmpty());
}

TEST(LoginWidget, AutoLoginWithoutSavedPasswordShowsTheWindow)
{
    lib();
    resetSettings();
    CSettings* s = CSettings::instance();
    s->SetValue("AutoLogin", 1);
    s->SetValue("SavePawd", 0);
    s->SetValue("UserName", kAccount);
    s->SetValue("UserPawd", lib()->EncryptText(kPassword, "tamblor592"));
    Login l;
    EXPECT_TRUE(l.w.ShowLogin());
    EXPECT_TRUE(l.w.isVisible());
    EXPECT_EQ(l.message(), u("密码不符合要求"));
    EXPECT_EQ(s->GetValue("SavePawd").toInt(), 1);
    // Switching automatic sign-in off drops the upload workers' cookies;
    // unchecking "remember" forgets the stored password.
    const QString cookies = QString::fromStdString(home().dataFolder()) + "/Temp/clientlibsdafa.txt";
    QDir().mkpath(QFileInfo(cookies).path());
    QFile cookieFile(cookies);
    ASSERT_TRUE(cookieFile.open(QIODevice::WriteOnly));
    cookieFile.close();
    l.get<QCheckBox>("chkAutoLogin")->setChecked(false);
    EXPECT_FALSE(QFile::exists(cookies));
    l.get<QCheckBox>("chkSavePasw")->setChecked(false);
    EXPECT_EQ(s->GetValue("UserPawd").toString(), "");
}

TEST(LoginWidget, CodeCountdownRunsSixtyTicksAndStopsOnARefusal)
{
    lib();
    resetSettings();
    Login l;
    l.w.ShowLogin();
    QTest::mouseClick(l.button("btnRegister"), Qt::LeftButton);
    QPushButton* get = l.button("btnGetCode2");
    l.edit("linePhone")->setText("1391234567");
    EXPECT_FALSE(get->isEnabled());
    l.edit("linePhone")->setText("13912345678");
    EXPECT_TRUE(get->isEnabled());
    QTest::mouseClick(get, Qt::LeftButton);
    EXPECT_EQ(callsNamed("GetSmsCode").last().args, QVariantList({"13912345678", "86", 1}));
    l.w.OnTimerUpdate(1);
    EXPECT_EQ(get->text(), u("重新发送(59s)"));
    for (int i = 2; i < 60; ++i)
        l.w.OnTimerUpdate(i);
    EXPECT_FALSE(get->isEnabled());
    l.w.OnTimerUpdate(60);
    EXPECT_TRUE(get->isEnabled());
    EXPECT_EQ(get->text(), u("获取验证码"));

    // The school refuses a code for a number already registered: the
    // countdown stops at once and the page shows why.
    l.edit("linePhone")->setText(kAccount);
    QTest::mouseClick(get, Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !l.message2().isEmpty(); }));
    EXPECT_EQ(l.message2(), u("该手机号已注册"));
    EXPECT_FALSE(get->property("getcode").toBool());
    EXPECT_EQ(get->text(), u("获取验证码"));
    EXPECT_FALSE(get->isEnabled());
    l.edit("linePhone")->setText("13800138001");
    EXPECT_TRUE(get->isEnabled());  // the next change gives it back
}

TEST(LoginWidget, RegisterThenSignInAndResetPassword)
{
    lib();
    resetSettings();
    Login l;
    l.w.ShowLogin();
    QTest::mouseClick(l.button("btnRegister"), Qt::LeftButton);
    EXPECT_EQ(l.page(), 1);
    EXPECT_EQ(l.w.Mode(), 4);
    EXPECT_TRUE(l.get<QCheckBox>("checkRead")->isChecked());
    screenshot(&l.w, "login_register_page.png");

    const QString phone = "13912340001";
    struct Case {
        const char* phone;
        const char* p1;
        const char* p2;
        const char* code;
        const char* message;
    };
    const Case checks[] = {
        {"1391234000", "abc123", "abc123", "2468", "手机号格式错误"},
        {"13912340001", "abcdef", "abcdef", "2468", "密码不符合要求"},
        {"13912340001", "abc123", "abc124", "2468", "输入密码不一致"},
        {"13912340001", "abc123", "abc123", "246", "验证码无效"},
    };
    ClientLibTestControl::ClearCalls(lib());
    for (const Case& c : checks) {
        l.edit("linePhone")->setText(c.phone);
        l.edit("linePass1")->setText(c.p1);
        l.edit("linePass2")->setText(c.p2);
        l.edit("lineCode")->setText(c.code);
        QTest::mouseClick(l.button("btnSubmit"), Qt::LeftButton);
        EXPECT_EQ(l.message2(), u(c.message));
    }
    EXPECT_TRUE(callsNamed("RegisterUser").isEmpty());
    // The agreement box gates the submit button.
    l.get<QCheckBox>("checkRead")->setChecked(false);
    EXPECT_FALSE(l.button("btnSubmit")->isEnabled());
    l.get<QCheckBox>("checkRead")->setChecked(true);

    l.edit("linePhone")->setText(phone);
    QTest::mouseClick(l.button("btnGetCode2"), Qt::LeftButton);
    l.edit("lineCode")->setText(kCode);
    l.edit("linePass1")->setText("abc123");
    l.edit("linePass2")->setText("abc123");
    QTest::mouseClick(l.button("btnSubmit"), Qt::LeftButton);
    EXPECT_EQ(callsNamed("RegisterUser").last().args,
              QVariantList({"test", "abc123", kCode, phone, "86"}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return l.page() == 2 || !l.message2().isEmpty(); }));
    ASSERT_EQ(l.page(), 2) << l.message2().toStdString();
    EXPECT_EQ(l.get<QLabel>("labelResult")->text(), u("注册成功"));
    screenshot(&l.w, "login_result_page.png");

    QTest::mouseClick(l.button("btnToLogin"), Qt::LeftButton);
    EXPECT_EQ(l.page(), 0);
    EXPECT_EQ(l.edit("edtUser")->text(), phone);
    ASSERT_TRUE(testsupport::waitUntil([&] { return CData::instance()->GetStatus(1); }));
    EXPECT_EQ(lib()->DecryptText(CSettings::instance()->GetValue("UserPawd").toString(), "tamblor592"), "abc123");

    // Reset: the agreement row is hidden and does not gate the button.
    l.w.show();
    QTest::mouseClick(l.button("btnFindPass"), Qt::LeftButton);
    EXPECT_EQ(l.w.Mode(), 3);
    EXPECT_TRUE(l.get<QCheckBox>("checkRead")->isHidden());
    l.get<QCheckBox>("checkRead")->setChecked(false);
    // The sign-in ended the running countdown at the next tick.
    l.w.OnTimerUpdate(1);
    ASSERT_TRUE(l.button("btnGetCode2")->isEnabled());
    QTest::mouseClick(l.button("btnGetCode2"), Qt::LeftButton);
    EXPECT_EQ(callsNamed("GetSmsCode").last().args, QVariantList({phone, "86", 2}));
    l.edit("lineCode")->setText(kCode);
    l.edit("linePass1")->setText("xyz789");
    l.edit("linePass2")->setText("xyz789");
    EXPECT_TRUE(l.button("btnSubmit")->isEnabled());
    QTest::mouseClick(l.button("btnSubmit"), Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return l.page() == 2 || !l.message2().isEmpty(); }));
    ASSERT_EQ(l.page(), 2) << l.message2().toStdString();
    EXPECT_EQ(l.get<QLabel>("labelResult")->text(), u("密码修改成功"));
    QTest::mouseClick(l.button("btnReturn"), Qt::LeftButton);
    EXPECT_EQ(l.page(), 0);
    EXPECT_EQ(l.w.Mode(), 1);
}

TEST(LoginWidget, PasswordRule)
{
    const std::pair<const char*, bool> cases[] = {
        {"abc123", true},  {"abcdefgh12345678", true}, {"abcdef", false},           {"123456", false},
        {"ab12c", false},  {"abcdefgh123456789", false}, {"a1-._!", true},
    };
    for (const auto& [text, ok] : cases)
        EXPECT_EQ(LoginWidget::CheckPassword(text), ok) << text;
}

TEST(LoginWidget, DragsOnlyFromTheTopBand)
{
    Login l;
    l.w.show();
    l.w.move(100, 100);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&l.w));
    const QPoint start = l.w.pos();
    QTest::mousePress(&l.w, Qt::LeftButton, {}, QPoint(200, 66));
    QMouseEvent move66(QEvent::MouseMove, QPoint(230, 86), l.w.mapToGlobal(QPoint(230, 86)), Qt::NoButton,
                       Qt::LeftButton, {});
    QApplication::sendEvent(&l.w, &move66);
    QTest::mouseRelease(&l.w, Qt::LeftButton, {}, QPoint(230, 86));
    EXPECT_EQ(l.w.pos(), start);
    QTest::mousePress(&l.w, Qt::LeftButton, {}, QPoint(200, 65));
    QMouseEvent move65(QEvent::MouseMove, QPoint(230, 85), l.w.mapToGlobal(QPoint(230, 85)), Qt::NoButton,
                       Qt::LeftButton, {});
    QApplication::sendEvent(&l.w, &move65);
    QTest::mouseRelease(&l.w, Qt::LeftButton, {}, QPoint(230, 85));
    EXPECT_EQ(l.w.pos(), start + QPoint(30, 20));
    EXPECT_FALSE(l.w.mask().isEmpty());
}

TEST(LoginWidget, RefusedCodeRequestStartsNoCountdown)
{
    // Without a client library every request is refused. Kept last: the
    // library is released for the rest of the process.
    home();
    Room::instance()->ReleaseLib();
    resetSettings();
    Login l;
    l.w.ShowLogin();
    QTest::mouseClick(l.button("btnPhone"), Qt::LeftButton);
    l.edit("edtUser")->setText(kAccount);
    QTest::mouseClick(l.button("btnGetCode"), Qt::LeftButton);
    EXPECT_FALSE(l.button("btnGetCode")->property("getcode").toBool());
    EXPECT_TRUE(l.button("btnGetCode")->isEnabled());
    EXPECT_EQ(l.button("btnGetCode")->text(), u("获取验证码"));
    EXPECT_FALSE(l.message().isEmpty());
    // A refused sign-in leaves the button usable.
    l.edit("edtPssd")->setText(kCode);
    EXPECT_FALSE(l.w.DoLogin(2));
    EXPECT_TRUE(l.button("btnLogin")->isEnabled());
}
