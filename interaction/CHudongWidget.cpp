#include "interaction/CHudongWidget.h"
#include "app/CData.h"

CHudongWidget::CHudongWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("CHudongWidget");
    hide();
}

void CHudongWidget::CloseBigOpenMedia()
{
    if (m_bigOpenMedia)
        SetBigOpenMediaStatus(false);
}

void CHudongWidget::ResetData()
{
    SetGraffitiStatus(false);
    SetBigOpenMediaStatus(false);
}

void CHudongWidget::SetBigOpenMediaStatus(bool open)
{
    m_bigOpenMedia = open;
    emit sgBigOpenMedia(open);
    CData::instance()->SetStatus(kStatusVoiceInteraction, open ? 1 : 0);
}

void CHudongWidget::SetGraffitiStatus(bool open) { m_graffiti = open; }

void CHudongWidget::on_btnBigOpenMedia_clicked() { SetBigOpenMediaStatus(!m_bigOpenMedia); }
