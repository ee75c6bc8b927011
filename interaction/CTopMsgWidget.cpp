#include "interaction/CTopMsgWidget.h"

CTopMsgWidget::CTopMsgWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("CTopMsgWidget");
    hide();
}

bool CTopMsgWidget::SetTopMsg(qint64 id, QString jsonMsg)
{
    if (id == m_id && jsonMsg == m_msg)
        return false;
    m_id = id;
    m_msg = jsonMsg;
    return true;
}

void CTopMsgWidget::ResetData(bool hideIt)
{
    m_id = 0;
    m_msg.clear();
    if (hideIt)
        hide();
}
