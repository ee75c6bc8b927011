#include "interaction/CFaceSelWidget.h"

#include "app/Logger.h"
#include "app/PubUtils.h"

#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>

#include <algorithm>

namespace {

const char kFaceDir[] = ":/face/res/face/";

}  // namespace

std::vector<std::string> CFaceSelWidget::ReadFaceList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Logger::instance()->Log(LOG_WARN, "CFaceSelWidget::ReadFaceList", "QFile open face list.txt error: %s",
                                file.errorString().toUtf8().constData());
        return {};
    }
    const std::string text = file.readAll().toStdString();
    if (text.find("\r\n") != std::string::npos)
        return PubUtils::SplitString(text, "\r\n");
    if (text.find('\n') != std::string::npos)
        return PubUtils::SplitString(text, "\n");
    Logger::instance()->Log(LOG_WARN, "CFaceSelWidget::ReadFaceList", "face list.txt parse failed!");
    return {};
}

CFaceSelWidget::CFaceSelWidget() : QTableWidget(nullptr)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowStaysOnTopHint);
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRowCount(kRows);
    setColumnCount(kColumns);
    horizontalHeader()->setVisible(false);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setDefaultSectionSize(40);
    verticalHeader()->setDefaultSectionSize(40);
    setFixedHeight(162);
    setFixedWidth(322);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    std::vector<std::string> names = ReadFaceList(QString(kFaceDir) + "list.txt");
    // A list file ending in a line break leaves an empty last name.
    names.erase(std::remove(names.begin(), names.end(), std::string()), names.end());
    PubUtils::SetFaceList(names);
    for (const std::string& name : names)
        m_faces.push_back(kFaceDir + name + ".png");
    for (int i = 0; i < static_cast<int>(m_faces.size()) && i < kRows * kColumns; ++i) {
        setItem(i / kColumns, i % kColumns, new QTableWidgetItem);
        auto* label = new QLabel;
        label->setFixedSize(40, 40);
        label->setMargin(3);
        label->setStyleSheet(QString("QLabel{image: url(%1);}QLabel:hover{border: 1px solid rgb(111, 156, 207); "
                                     "background: rgba(255, 255, 255, 200);}")
                                 .arg(QString::fromStdString(m_faces[i])));
        setCellWidget(i / kColumns, i % kColumns, label);
    }
    connect(this, &QTableWidget::itemPressed, this, &CFaceSelWidget::slotItemClicked);
    installEventFilter(this);
}

void CFaceSelWidget::slotItemClicked(QTableWidgetItem* item)
{
    if (!item)
        return;
    const size_t index = static_cast<size_t>(item->row() * kColumns + item->column());
    if (index < m_faces.size()) {
        emit onSelFace(QString("<img source = \"%1\"/>").arg(QString::fromStdString(m_faces[index])));
        item->setSelected(false);
    }
    hide();
}

bool CFaceSelWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::Show) {
            if (QTableWidgetItem* current = currentItem())
                current->setSelected(false);
            setCurrentItem(nullptr);
        } else if (event->type() == QEvent::WindowDeactivate) {
            hide();
        }
    }
    return QTableWidget::eventFilter(watched, event);
}
