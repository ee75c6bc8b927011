// LoginWidget: verification codes, registration, password reset and the
// resend countdowns of the two get-code buttons.
#include "home/LoginWidget.h"

#include "ui_LoginWidget.h"

#include "ClientLib.h"
#include "app/CSettings.h"
#include "app/GlobalConstants.h"

namespace {

constexpr int kResendSeconds = 60;

QString areaCode() { return QString::fromUtf8(vt::kPhoneAreaCode); }

// The kinds of code request, as the library takes and answers them.
enum CodeKind { kCodeRegister = 1, kCodeReset = 2, kCodeLogin = 3 };

void stopCountdown(QPushButton* button)
{
    button->setProperty("getcode", false);
    button->setText(LoginWidget::tr("获取验证码"));
}

}  // namespace

bool LoginWidget::CheckPassword(const QString& password)
{
    if (password.size() < 6 || password.size() > 16)
        return false;
    bool digit = false, letter = false;
    for (char c : password.toLatin1()) {
        digit = digit || (c >= '0' && c <= '9');
        letter = letter || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }
    return digit && letter;
}

// A request the library refuses starts no countdown: the button stays
// usable and the page says why.
void LoginWidget::requestCode(QPushButton* button, const QString& phone, int kind)
{
    ClientLib* lib = clientLib();
    if (!lib || !lib->GetSmsCode(phone, areaCode(), kind)) {
        (kind == kCodeLogin ? ui->labMessage : ui->labMessage2)->setText(tr("验证码发送失败，请稍后重试"));
        return;
    }
    button->setProperty("hastime", kResendSeconds);
    button->setProperty("getcode", true);
    button->setEnabled(false);
    button->setText(tr("重新发送(%1s)").arg(kResendSeconds));
}

void LoginWidget::OnTimerUpdate(int)
{
    for (QPushButton* button : {ui->btnGetCode, ui->btnGetCode2}) {
        if (!button->property("getcode").toBool())
            continue;
        const int left = button->property("hastime").toInt() - 1;
        button->setProperty("hastime", left);
        button->setText(tr("重新发送(%1s)").arg(left));
        if (left <= 0) {
            stopCountdown(button);
            button->setEnabled(true);
        }
    }
}

void LoginWidget::onRegisterFieldsChanged()
{
    const bool filled = !ui->linePhone->text().isEmpty() && !ui->lineCode->text().isEmpty() &&
                        !ui->linePass1->text().isEmpty() && !ui->linePass2->text().isEmpty();
    ui->btnSubmit->setEnabled(filled && (ui->checkRead->isHidden() || ui->checkRead->isChecked()));
    if (!ui->btnGetCode2->property("getcode").toBool())
        ui->btnGetCode2->setEnabled(ui->linePhone->text().size() == 11);
}

void LoginWidget::showRegisterPage(bool reg)
{
    m_nMode = reg ? 4 : 3;
    ui->btnSubmit->setText(reg ? tr("注册") : tr("确定"));
    if (reg)
        ui->checkRead->setChecked(true);
    ui->btnReturn->show();
    for (QWidget* w : {static_cast<QWidget*>(ui->checkRead), static_cast<QWidget*>(ui->btnShowRead),
                       static_cast<QWidget*>(ui->btnShowRead2), static_cast<QWidget*>(ui->labShowRead)})
        w->setVisible(reg);
    ui->labMessage2->clear();
    ui->lineCode->clear();
    ui->linePass1->clear();
    ui->linePass2->clear();
    ui->mainStackedWidget->setCurrentIndex(1);
}

void LoginWidget::returnToLogin()
{
    ui->btnReturn->hide();
    ui->mainStackedWidget->setCurrentIndex(0);
    m_nMode = ui->btnGetCode->isHidden() ? 1 : 2;
}

void LoginWidget::submitRegister()
{
    const QString phone = ui->linePhone->text();
    const QString password = ui->linePass1->text();
    const QString code = ui->lineCode->text();
    if (phone.size() != 11) {
        ui->labMessage2->setText(tr("手机号格式错误"));
        return;
    }
    if (!CheckPassword(password)) {
        ui->labMessage2->setText(tr("密码不符合要求"));
        return;
    }
    if (password != ui->linePass2->text()) {
        ui->labMessage2->setText(tr("输入密码不一致"));
        return;
    }
    if (code.size() < 4) {
        ui->labMessage2->setText(tr("验证码无效"));
        return;
    }
    ClientLib* lib = clientLib();
    ui->labMessage2->clear();
    if (!lib)
        return;
    if (m_nMode == 4)
        lib->RegisterUser("test", password, code, phone, areaCode());
    else if (m_nMode == 3)
        lib->ResetPassword(areaCode(), password, code, phone);
}

void LoginWidget::onCodeResult(const QVariantMap& result)
{
    const int code = result.value("code").toInt();
    const int kind = result.value("user_data").toMap().value("type").toInt();
    if (code == 0) {
        (kind == kCodeLogin ? ui->labMessage : ui->labMessage2)->clear();
        return;
    }
    const QString error = result.value("errMsg").toString();
    QPushButton* button = nullptr;
    bool showHere = false;
    switch (kind) {
    case kCodeRegister:
        button = ui->btnGetCode2;
        showHere = m_nMode == 4;
        break;
    case kCodeReset:
        button = ui->btnGetCode2;
        showHere = m_nMode == 3;
        break;
    case kCodeLogin:
        button = ui->btnGetCode;
        showHere = m_nMode == 2;
        break;
    default:
        return;
    }
    stopCountdown(button);
    button->setEnabled(false);
    if (showHere)
        (kind == kCodeLogin ? ui->labMessage : ui->labMessage2)->setText(error);
}

void LoginWidget::onAccountResult(int type, const QVariantMap& result)
{
    ui->btnReturn->show();
    const int code = result.value("code").toInt();
    CSettings::instance()->SetValue("UserSid", "");
    if (code != 0) {
        ui->labMessage2->setText(result.value("errMsg").toString());
        return;
    }
    ClientLib* lib = clientLib();
    if (type == RsC_Http_Register && ui->chkAutoLogin->isChecked() && lib)
        CSettings::instance()->SetValue("UserSid", lib->EncryptText(result.value("userSid").toString(),
                                                                    QString::fromUtf8(vt::kPasswordKey)));
    ui->mainStackedWidget->setCurrentIndex(2);
    ui->labelResult->setText(type == RsC_Http_Register ? tr("注册成功") : tr("密码修改成功"));
}

void LoginWidget::signInWithNewAccount()
{
    ui->btnReturn->hide();
    ui->mainStackedWidget->setCurrentIndex(0);
    m_nMode = 1;
    ui->chkSavePasw->setChecked(true);
    ui->btnAccount->click();
    ui->edtUser->setText(ui->linePhone->text());
    ui->edtPssd->setText(ui->linePass1->text());
    DoLogin(1);
}
