#include "courseware/DrawToolMenuWidget.h"

#include "app/CData.h"
#include "app/GEosObserver.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "courseware/ColorButton.h"
#include "courseware/DrawToolBarCtrl.h"
#include "ui_DrawToolMenuWidget.h"
#include "widgets/StyledBackground.h"

#include "WhiteBoardLib.h"

#include <QButtonGroup>
#include <QDateTime>

const int DrawToolMenuWidget::Colors[12] = {0xfd2c0a, 0xff6e00, 0xffd400, 0x98cd46, 0x00d7d1, 0x0097f0,
                                            0x8b6dc2, 0xff9b9e, 0xffffff, 0x9b9b9b, 0x2e3038, 0x000000};

namespace {

CWhiteBoardLib* wbLib()
{
    return Room::instance()->GetWBLib();
}

}  // namespace

DrawToolMenuWidget::DrawToolMenuWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::DrawToolMenuForm), m_penColor(Colors[0]), m_textColor(Colors[0])
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint);
    initGroups();
    setMouseTracking(true);
    GEosSubscribe("enterOperateBtnEvent", this, SLOT(slotEnterOperateBtnEvent(QVariantList)));
    connect(Room::instance(), &Room::sgWBLibCmd, this, &DrawToolMenuWidget::onWBLibCmd);
}

DrawToolMenuWidget::~DrawToolMenuWidget()
{
    delete ui;
}

QButtonGroup* DrawToolMenuWidget::colorGroup(QGridLayout* grid)
{
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int i = 0; i < 12; ++i) {
        auto* swatch = new ColorButton(Colors[i], grid->parentWidget());
        swatch->setCheckable(true);
        group->addButton(swatch);
        grid->addWidget(swatch, i / 4, i % 4, Qt::AlignCenter);
    }
    group->buttons().first()->setChecked(true);
    return group;
}

void DrawToolMenuWidget::initGroups()
{
    if (m_penWidthGroup)
        return;  // once
    auto idGroup = [this](std::initializer_list<std::pair<QAbstractButton*, int>> buttons) {
        auto* group = new QButtonGroup(this);
        group->setExclusive(true);
        for (const auto& b : buttons) {
            b.first->setCheckable(true);
            group->addButton(b.first, b.second);
        }
        return group;
    };
    m_penWidthGroup = idGroup({{ui->lineWidth1Btn, 2}, {ui->lineWidth2Btn, 4}, {ui->lineWidth3Btn, 6},
                               {ui->lineWidth4Btn, 8}});
    ui->lineWidth1Btn->setChecked(true);
    m_fontSizeGroup = idGroup({{ui->fontSize1Btn, 14}, {ui->fontSize2Btn, 18}, {ui->fontSize3Btn, 24},
                               {ui->fontSize4Btn, 36}});
    ui->fontSize1Btn->setChecked(true);
    m_shapeGroup = idGroup({{ui->arrowBtn, 6}, {ui->lineBtn, 3}, {ui->rectBtn, 5}, {ui->circleBtn, 7},
                            {ui->noneBtn, 0}});
    ui->noneBtn->setChecked(true);
    ui->arrowBtn->hide();
    ui->noneBtn->hide();
    m_penColorGroup = colorGroup(ui->penColorGridLayout);
    m_textColorGroup = colorGroup(ui->textColorGridLayout);

    connect(m_penColorGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            [this](QAbstractButton* b) { onColor(b, true); });
    connect(m_textColorGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            [this](QAbstractButton* b) { onColor(b, false); });
    connect(m_penWidthGroup, &QButtonGroup::idClicked, this, &DrawToolMenuWidget::onPenWidth);
    connect(m_fontSizeGroup, &QButtonGroup::idClicked, this, &DrawToolMenuWidget::onFontSize);
    connect(m_shapeGroup, &QButtonGroup::idClicked, this, &DrawToolMenuWidget::onShape);
    ui->stackedWidget->setCurrentWidget(ui->graphPage);
}

void DrawToolMenuWidget::onColor(QAbstractButton* button, bool pen)
{
    auto* swatch = qobject_cast<ColorButton*>(button);
    if (!swatch)
        return;
    (pen ? m_penColor : m_textColor) = swatch->GetColor();
    if (CWhiteBoardLib* wb = wbLib()) {
        if (pen)
            wb->SetPenColor(m_penColor);
        else
            wb->SetTextColor(m_textColor);
    }
    if (m_toolBar)
        m_toolBar->SelectTool(pen ? DrawToolBarCtrl::ToolPen : DrawToolBarCtrl::ToolText);
}

void DrawToolMenuWidget::onPenWidth(int width)
{
    if (CWhiteBoardLib* wb = wbLib())
        wb->SetPenWidth(width);
    if (m_toolBar)
        m_toolBar->SelectTool(DrawToolBarCtrl::ToolPen);
}

void DrawToolMenuWidget::onFontSize(int size)
{
    if (CWhiteBoardLib* wb = wbLib())
        wb->SetFontSize(size);
    if (m_toolBar)
        m_toolBar->SelectTool(DrawToolBarCtrl::ToolText);
}

void DrawToolMenuWidget::onShape(int tool)
{
    if (tool < 13) {
        if (CWhiteBoardLib* wb = wbLib())
            wb->SetTool(tool);
    }
    if (m_toolBar)
        m_toolBar->SelectGraphButton();
}

bool DrawToolMenuWidget::ApplyTool(int toolId)
{
    CWhiteBoardLib* wb = wbLib();
    auto setTool = [wb](int code) {
        if (wb)
            wb->SetTool(code);
    };
    bool applied = false;
    switch (toolId) {
    case DrawToolBarCtrl::ToolPen:
        setTool(WBTool_Pen);
        m_penColorGroup->checkedButton()->click();
        m_penWidthGroup->checkedButton()->click();
        applied = true;
        break;
    case DrawToolBarCtrl::ToolText:
        setTool(WBTool_Text);
        m_textColorGroup->checkedButton()->click();
        m_fontSizeGroup->checkedButton()->click();
        applied = true;
        break;
    case DrawToolBarCtrl::ToolGraph:
        if (ui->rectBtn->isChecked()) {
            setTool(WBTool_Rect);
        } else if (ui->circleBtn->isChecked()) {
            setTool(WBTool_Ellipse);
        } else {
            setTool(WBTool_Line);
            ui->lineBtn->setChecked(true);
            emit ui->lineBtn->clicked(true);  // not through the group: no second tool
        }
        return true;
    default: break;
    }
    if (m_toolBar) {
        ui->noneBtn->setChecked(true);
        emit ui->noneBtn->clicked(true);
    }
    return applied;
}

void DrawToolMenuWidget::SelectRandomColor()
{
    SelectRandomColorAt(QDateTime::currentSecsSinceEpoch());
}

void DrawToolMenuWidget::SelectRandomColorAt(qint64 secondsSince1970)
{
    const QList<QAbstractButton*> swatches = m_penColorGroup->buttons();
    if (swatches.isEmpty())
        return;
    int index = int(secondsSince1970 % swatches.size());
    if (index == WhiteIndex)
        index = 0;
    swatches.at(index)->click();
}

void DrawToolMenuWidget::slotEnterOperateBtnEvent(const QVariantList& args)
{
    if (args.size() != 2)
        return;
    QWidget* button = args.at(1).value<QWidget*>();
    if (!button || !PubUtils::GetTopWidget(this))
        return;
    switch (args.at(0).toInt()) {
    case DrawToolBarCtrl::ToolPen:
        ui->stackedWidget->setCurrentWidget(ui->penPage);
        setFixedSize(145, 110);
        break;
    case DrawToolBarCtrl::ToolText:
        ui->stackedWidget->setCurrentWidget(ui->textPage);
        setFixedSize(145, 110);
        break;
    case DrawToolBarCtrl::ToolGraph:
        ui->stackedWidget->setCurrentWidget(ui->graphPage);
        setFixedSize(100, 30);
        break;
    default: hide(); return;
    }
    const QPoint g = button->mapToGlobal(QPoint(0, 0));
    CData* data = CData::instance();
    QPoint at;
    if (data->IsTeacher() || data->IsLiveRoom())
        at = QPoint(g.x() + (button->width() - width()) / 2, g.y() - height() - 5);
    else
        at = QPoint(g.x() - width(), g.y() + (button->height() - height()) / 2);
    move(at);
    show();
}

void DrawToolMenuWidget::onWBLibCmd(int cmd, const QVariant& data)
{
    if (cmd != RsWB_FontSize)
        return;
    const int size = data.toMap().value("fontSize").toInt();
    if (CWhiteBoardLib* wb = wbLib())
        wb->SetFontSize(size);  // back to the library as reported
    QAbstractButton* button = m_fontSizeGroup->button(size);
    if (size != m_fontSizeGroup->checkedId() && button) {
        const bool blocked = m_fontSizeGroup->blockSignals(true);
        emit button->clicked(true);
        button->setChecked(true);
        m_fontSizeGroup->blockSignals(blocked);
    }
}

void DrawToolMenuWidget::enterEvent(QEvent* event)
{
    QWidget::enterEvent(event);
}

void DrawToolMenuWidget::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    hide();
}

void DrawToolMenuWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
