#pragma once
// The chat's emoticon picker: a borderless 4 x 8 grid of emoticon pictures
// that pops up above the chat's emoticon button. Pressing a picture emits
// it as an image tag and closes the picker. At construction it registers
// the emoticon names (":/face/res/face/list.txt") with PubUtils, which the
// chat's text conversions use. GUI thread only, like every member.
#include <QTableWidget>

#include <string>
#include <vector>

class CFaceSelWidget : public QTableWidget {
    Q_OBJECT
public:
    CFaceSelWidget();

    static constexpr int kRows = 4;
    static constexpr int kColumns = 8;

    // The pictures' resource paths in list order (also those past the grid).
    const std::vector<std::string>& FacePaths() const { return m_faces; }
    // Reads a list file's names; empty (with a warning) when it cannot be
    // opened or split.
    static std::vector<std::string> ReadFaceList(const QString& path);

signals:
    void onSelFace(QString html);

public slots:
    void slotItemClicked(QTableWidgetItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::string> m_faces;  // resource paths, list order
};
