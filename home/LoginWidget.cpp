#include "home/LoginWidget.h"

#include "ui_LoginWidget.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/GlobalConstants.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "app/UrlProxy.h"
#include "widgets/RoundedMask.h"

#include <QDesktopServices>
#include <QFile>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QUrl>

namespace {

const char* const kActiveLine = "border-top: 1px;background-color: #5DC0BA;";
const char* const kInactiveLine = "border-top: 0px;background-color: #999999;";

QString areaCode() { return QString::fromUtf8(vt::kPhoneAreaCode); }
QString pwdKey() { return QString::fromUtf8(vt::kPasswordKey); }

// A page of the product web site, the host of the download page.
void openSitePage(const char* path)
{
    QUrl url(QString::fromUtf8(UrlProxy::GetUrl(kUrlDownloadPage)));
    url.setPath(QString::fromUtf8(path));
    url.setQuery(QString());
    if (url.scheme() == "http" || url.scheme() == "https")
        QDesktopServices::openUrl(url);
}

}  // namespace

LoginWidget::LoginWidget(QWidget* parent) : QWidget(parent), ui(new Ui::LoginWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setMouseTracking(true);
    setWindowTitle("vtlogintea");

    ui->btnReturn->setIcon(QIcon(":/login/res/login/return.png"));
    ui->btnReturn->setIconSize(QPixmap(":/login/res/login/return.png").size());
    ui->btnReturn->hide();
    ui->lineLAccount->setStyleSheet(kActiveLine);
    ui->lineLPhone->setStyleSheet(kInactiveLine);

    auto* phone = new QRegularExpressionValidator(QRegularExpression("[1]{1}[0-9]{10}"), this);
    auto* password = new QRegularExpressionValidator(QRegularExpression("[a-zA-Z0-9]+"), this);
    ui->edtUser->setValidator(phone);
    ui->linePhone->setValidator(phone);
    ui->edtPssd->setValidator(password);
    ui->linePass1->setValidator(password);
    ui->linePass2->setValidator(password);
    for (QWidget* w : {static_cast<QWidget*>(ui->edtUser), static_cast<QWidget*>(ui->edtPssd),
                       static_cast<QWidget*>(ui->linePass1), static_cast<QWidget*>(ui->linePass2),
                       static_cast<QWidget*>(ui->linePhone), static_cast<QWidget*>(ui->lineCode)})
        w->setAttribute(Qt::WA_MacShowFocusRect, false);

    ui->btnGetCode->hide();
    m_nMode = 1;

    for (QPushButton* b : {ui->btnClose, ui->btnAccount, ui->btnPhone, ui->btnLogin, ui->btnRegister,
                           ui->btnFindPass, ui->btnGetCode, ui->btnReturn, ui->btnGetCode2, ui->btnShowRead,
                           ui->btnShowRead2, ui->btnSubmit, ui->btnToLogin})
        connect(b, &QPushButton::clicked, this, &LoginWidget::OnButtonClick);
    connect(ui->chkAutoLogin, &QCheckBox::stateChanged, this, &LoginWidget::onAutoLoginChanged);
    connect(ui->chkSavePasw, &QCheckBox::stateChanged, this, &LoginWidget::onSavePasswordChanged);
    connect(ui->checkRead, &QCheckBox::stateChanged, this, [this](int state) {
        ui->btnSubmit->setEnabled(state == Qt::Checked && !ui->linePhone->text().isEmpty() &&
                                  !ui->lineCode->text().isEmpty() && !ui->linePass1->text().isEmpty() &&
                                  !ui->linePass2->text().isEmpty());
    });
    connect(ui->edtUser, &QLineEdit::textChanged, this, &LoginWidget::onLoginFieldsChanged);
    connect(ui->edtPssd, &QLineEdit::textChanged, this, &LoginWidget::onLoginFieldsChanged);
    for (QLineEdit* e : {ui->linePhone, ui->lineCode, ui->linePass1, ui->linePass2})
        connect(e, &QLineEdit::textChanged, this, &LoginWidget::onRegisterFieldsChanged);

    ui->btnGetCode->setEnabled(false);
    ui->btnGetCode2->setEnabled(false);
    ui->btnLogin->setEnabled(false);
    ui->btnSubmit->setEnabled(false);

    auto* shortcut = new QShortcut(QKeySequence("Ctrl+Shift+L"), this);
    connect(shortcut, &QShortcut::activated, this, [] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(PubUtils::GetAppData())));
    });
}

LoginWidget::~LoginWidget() { delete ui; }

ClientLib* LoginWidget::clientLib() { return Room::instance()->GetClientLib(); }

bool LoginWidget::ShowLogin()
{
    CSettings* settings = CSettings::instance();
    ui->mainStackedWidget->setCurrentIndex(0);
    const bool savePassword = settings->GetValue("SavePawd", 1).toBool();
    ui->chkSavePasw->setChecked(savePassword);
    const bool autoLogin = settings->GetValue("AutoLogin", 0).toBool();
    ui->chkAutoLogin->setChecked(autoLogin);
    const QString user = settings->GetValue("UserName", "").toString();
    if (!user.isEmpty())
        ui->edtUser->setText(user);
    QString password = settings->GetValue("UserPawd", "").toString();
    ClientLib* lib = clientLib();
    password = lib ? lib->DecryptText(password, pwdKey()) : QString();
    if (savePassword && !password.isEmpty()) {
        ui->edtPssd->setText(password);
        ui->edtPssd->setProperty(user.toUtf8().constData(), password);
    }
    if (autoLogin && !user.isEmpty() && !password.isEmpty()) {
        if (DoLogin(1))
            return false;
    }
    PubUtils::MoveToScreenCenter(this);
    return true;
}

bool LoginWidget::DoLogin(int mode)
{
    const QString account = ui->edtUser->text();
    const QString secret = ui->edtPssd->text();
    CSettings* settings = CSettings::instance();
    settings->SetValue("UserName", account);
    settings->SetValue("SavePawd", ui->chkSavePasw->isChecked() ? 1 : 0);
    settings->SetValue("AutoLogin", ui->chkAutoLogin->isChecked() ? 1 : 0);

    if (account.isEmpty()) {
        ui->labMessage->setText(tr("请输入手机号"));
        return false;
    }
    if (account.size() != 11) {
        ui->labMessage->setText(tr("手机号格式错误"));
        return false;
    }
    ClientLib* lib = clientLib();
    bool sent = false;
    if (mode == 1) {
        if (secret.isEmpty() || secret.size() > 100) {
            ui->labMessage->setText(tr("密码不符合要求"));
            return false;
        }
        // The password is remembered when the request is made.
        const QString stored = ui->chkSavePasw->isChecked() && lib ? lib->EncryptText(secret, pwdKey()) : QString();
        settings->SetValue("UserPawd", stored);
        sent = lib && lib->Login(account, secret, areaCode());
    } else {
        if (secret.isEmpty()) {
            ui->labMessage->setText(tr("请输入验证码"));
            return false;
        }
        if (secret.size() < 4) {
            ui->labMessage->setText(tr("验证码无效"));
            return false;
        }
        sent = lib && lib->LoginBySmsCode(account, secret, areaCode());
    }
    if (sent)
        ui->btnLogin->setEnabled(false);
    return sent;
}

void LoginWidget::LoginResult(int type, const QVariant& data)
{
    const QVariantMap result = data.toMap();
    switch (type) {
    case RsC_Http_Login:
    case RsC_Http_LoginBySid:
    case RsC_Http_LoginByCode:
        onSignInResult(type, result);
        break;
    case RsC_Http_SmsCode:
        onCodeResult(result);
        break;
    case RsC_Http_Register:
    case RsC_Http_ResetPassword:
        onAccountResult(type, result);
        break;
    default:
        break;
    }
}

void LoginWidget::onSignInResult(int type, const QVariantMap& result)
{
    ui->btnLogin->setEnabled(true);
    const int code = result.value("code").toInt();
    CSettings* settings = CSettings::instance();
    settings->SetValue("UserSid", "");
    if (code == 0) {
        const QString sid = result.value("userSid").toString();
        Logger::instance()->Log(300, "LoginWidget::LoginResult", "login ok");
        CData::instance()->SetStatus(1, 1);
        ClientLib* lib = clientLib();
        if (ui->chkAutoLogin->isChecked() && lib)
            settings->SetValue("UserSid", lib->EncryptText(sid, pwdKey()));
        if (!(m_nMode == 1 && ui->chkSavePasw->isChecked()))
            ui->edtPssd->clear();  // a used code never stays
        ui->btnGetCode->setProperty("hastime", 1);
        ui->btnGetCode2->setProperty("hastime", 1);
        ui->labMessage->clear();
        hide();
        return;
    }
    const QString error = result.value("errMsg").toString();
    QString message;
    if (code <= -100)
        message = tr("网络异常%1").arg(error);
    else
        message = QString("%1(code=%2)").arg(error.isEmpty() ? tr("登录失败") : error).arg(code);
    if (type == RsC_Http_LoginBySid)
        message.clear();
    ui->labMessage->setText(message);
    show();
    raise();
}

void LoginWidget::OnButtonClick()
{
    QObject* s = sender();
    if (s == ui->btnClose) {
        CData::instance()->SetAppExiting(true);
        emit exitApp();
    } else if (s == ui->btnAccount) {
        showTab(1);
    } else if (s == ui->btnPhone) {
        showTab(2);
    } else if (s == ui->btnRegister) {
        showRegisterPage(true);
    } else if (s == ui->btnFindPass) {
        showRegisterPage(false);
    } else if (s == ui->btnGetCode) {
        if (ui->edtUser->text().size() != 11) {
            ui->labMessage->setText(tr("手机号格式错误"));
            return;
        }
        requestCode(ui->btnGetCode, ui->edtUser->text(), 3);
    } else if (s == ui->btnLogin) {
        DoLogin(m_nMode);
    } else if (s == ui->btnReturn) {
        returnToLogin();
    } else if (s == ui->btnGetCode2) {
        if (ui->linePhone->text().size() != 11) {
            ui->labMessage2->setText(tr("手机号格式错误"));
            return;
        }
        requestCode(ui->btnGetCode2, ui->linePhone->text(), m_nMode == 4 ? 1 : 2);
    } else if (s == ui->btnShowRead) {
        openSitePage("/user_agreement.html");
    } else if (s == ui->btnShowRead2) {
        openSitePage("/privacy_policy.html");
    } else if (s == ui->btnSubmit) {
        submitRegister();
    } else if (s == ui->btnToLogin) {
        signInWithNewAccount();
    }
}

void LoginWidget::showTab(int mode)
{
    m_nMode = mode;
    const bool account = mode == 1;
    ui->labUser->setStyleSheet(account ? "border-image: url(:/login/res/login/username.png);"
                                       : "border-image: url(:/login/res/login/phone.png);");
    ui->lineLAccount->setStyleSheet(account ? kActiveLine : kInactiveLine);
    ui->lineLPhone->setStyleSheet(account ? kInactiveLine : kActiveLine);
    ui->labPssd->setVisible(account);
    ui->btnGetCode->setVisible(!account);
    if (account) {
        ui->edtPssd->setText(ui->chkSavePasw->isChecked()
                                 ? ui->edtPssd->property(ui->edtUser->text().toUtf8().constData()).toString()
                                 : QString());
    } else {
        ui->edtPssd->clear();
    }
    ui->labMessage->clear();
    ui->edtPssd->setEchoMode(account ? QLineEdit::Password : QLineEdit::Normal);
    ui->edtPssd->setPlaceholderText(account ? tr("请输入密码") : tr("验证码"));
}

void LoginWidget::onLoginFieldsChanged()
{
    ui->btnLogin->setEnabled(!ui->edtUser->text().isEmpty() && !ui->edtPssd->text().isEmpty());
    if (!ui->btnGetCode->property("getcode").toBool())
        ui->btnGetCode->setEnabled(ui->edtUser->text().size() == 11);
}

void LoginWidget::onSavePasswordChanged(int state)
{
    if (state != Qt::Unchecked)
        return;
    CSettings::instance()->SetValue("UserPawd", "");
    ui->edtPssd->clear();
}

void LoginWidget::onAutoLoginChanged(int state)
{
    if (state == Qt::Checked) {
        ui->chkSavePasw->setChecked(true);
        return;
    }
    // The upload workers keep their cookies in this file.
    const QString cookies = QString::fromStdString(PubUtils::GetTempDir()) + "/clientlibsdafa.txt";
    if (QFile::exists(cookies))
        PubUtils::RemoveFile(cookies);
}

void LoginWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    SetRoundedMask(this, 4.0);
}
