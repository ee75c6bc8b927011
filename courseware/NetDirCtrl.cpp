#include "courseware/NetDirCtrl.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>

NetDirCtrl::NetDirCtrl(QWidget* container) : QWidget(nullptr)
{
    auto* outer = new QHBoxLayout(container);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(this);
    outer->addStretch(1);

    m_layout = new QHBoxLayout(this);
    m_layout->setAlignment(Qt::AlignLeft);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

NetDirCtrl::~NetDirCtrl() = default;

void NetDirCtrl::AddDir(const QString& name, const QVariant& dirObj, bool busy)
{
    if (m_busy || (!m_buttons.empty() && m_buttons.back()->property("wdgObj") == dirObj))
        return;
    m_busy = busy;
    if (!m_buttons.empty()) {
        auto* sep = new QPushButton(">", this);
        sep->setFixedSize(10, kButtonHeight);
        sep->setFlat(true);  // no bevel behind the transparent background
        sep->setStyleSheet("QPushButton {background:transparent;color:#9B9B9B;}");
        m_layout->addWidget(sep);
        m_buttons.push_back(sep);
    }
    auto* b = new QPushButton(this);
    connect(b, &QPushButton::clicked, this, &NetDirCtrl::onDirButtonClicked);
    b->setStyleSheet("QPushButton {background:transparent;font: 13px;color:#5DC0BA;}");
    b->setCursor(Qt::PointingHandCursor);
    b->setFlat(true);
    b->ensurePolished();  // the style sheet's font is the one the text is drawn in
    const QMargins m = b->contentsMargins();
    const QFontMetrics fm(b->font());
    const int w = m.left() + 10 + fm.horizontalAdvance(name) + m.right();
    b->setFixedSize(qMin(w, kMaxButtonWidth), kButtonHeight);
    b->setProperty("wdgObj", dirObj);
    b->setToolTip(name);
    b->setText(name);
    if (w > kMaxButtonWidth)
        b->setText(fm.elidedText(name, Qt::ElideRight, kMaxButtonWidth, Qt::TextShowMnemonic));
    m_layout->addWidget(b);
    m_buttons.push_back(b);
}

void NetDirCtrl::RemoveButton(QPushButton* b)
{
    m_layout->removeWidget(b);
    b->hide();
    b->deleteLater();
}

void NetDirCtrl::EndLoad(bool ok)
{
    if (!ok && m_buttons.size() > 2) {
        for (int i = 0; i < 2; ++i) {
            RemoveButton(m_buttons.back());
            m_buttons.pop_back();
        }
    }
    m_busy = false;
}

void NetDirCtrl::Clear()
{
    for (QPushButton* b : m_buttons)
        RemoveButton(b);
    m_buttons.clear();
    m_busy = false;
}

QVariant NetDirCtrl::GetCurDir() const
{
    return m_buttons.empty() ? QVariant() : m_buttons.back()->property("wdgObj");
}

void NetDirCtrl::onDirButtonClicked()
{
    auto* src = qobject_cast<QPushButton*>(sender());
    if (!src)
        return;
    const QVariant obj = src->property("wdgObj");
    const QVariantMap map = obj.type() == QVariant::Map ? obj.toMap() : QVariantMap();
    auto it = std::find(m_buttons.begin(), m_buttons.end(), src);
    if (it != m_buttons.end()) {
        for (auto right = it + 1; right != m_buttons.end(); ++right)
            RemoveButton(*right);
        m_buttons.erase(it + 1, m_buttons.end());
    }
    emit sgNetDirCmd(map);
}
