#include "mainwindow/popups/SwitchLineWidget.h"
#include "ui_SwitchLineWidget.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "widgets/StyledBackground.h"

#include <QEvent>
#include <QPushButton>

SwitchLineWidget::SwitchLineWidget(QWidget* parent) : QWidget(parent), ui(new Ui::SwitchLineWidget)
{
    ui->setupUi(this);
    m_currentLine = 0;
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(90);
    installEventFilter(this);
    m_info = [] { return CData::instance()->GetMgLineInfo(); };
    m_switchTo = [](int line) { CData::instance()->SwitchMgLine(line); };
}

SwitchLineWidget::~SwitchLineWidget() { delete ui; }

void SwitchLineWidget::SetLineSource(std::function<QVariantMap()> info, std::function<void(int)> switchTo)
{
    m_info = std::move(info);
    m_switchTo = std::move(switchTo);
}

int SwitchLineWidget::LineCount(const QVariantMap& info) const
{
    bool ok = false;
    const int count = info.value("count").toInt(&ok);
    if (!ok || count < 0 || count > kMaxLines) {
        const int bounded = !ok || count < 0 ? 0 : kMaxLines;
        Logger::instance()->Log(LOG_WARN, "SwitchLineWidget::LineCount", "line count %s offered as %d",
                                info.value("count").toString().toUtf8().constData(), bounded);
        return bounded;
    }
    return count;
}

void SwitchLineWidget::UpdateHeight()
{
    setFixedHeight(LineCount(m_info()) * 30 + 40);
}

void SwitchLineWidget::ShowLines()
{
    const QVariantMap info = m_info();
    const int count = LineCount(info);
    m_currentLine = info.value("line").toInt();
    if (count < 2)
        return;
    // An exclusive group keeps one button checked: release it so that a
    // current line outside the offered ones leaves every button unchecked.
    ui->buttonGroup->setExclusive(false);
    for (int i = 0; i < kMaxLines; ++i) {
        auto* button = findChild<QPushButton*>(QString("pushButton_%1").arg(i + 1));
        button->installEventFilter(this);
        button->setProperty("index", i);
        button->setVisible(i < count);
        button->setChecked(i == m_currentLine);
    }
    ui->buttonGroup->setExclusive(true);
    show();
}

bool SwitchLineWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::WindowDeactivate)
            hide();
        return QWidget::eventFilter(watched, event);
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button && event->type() == QEvent::MouseButtonRelease && button->property("index").isValid()) {
        const int index = button->property("index").toInt();
        if (index != m_currentLine) {
            m_currentLine = index;
            m_switchTo(index);
            emit sgSwitchLine();
        }
        hide();
    }
    return QWidget::eventFilter(watched, event);
}

void SwitchLineWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
