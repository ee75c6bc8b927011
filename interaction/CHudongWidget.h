#pragma once
// The interaction tool palette of the room (students' doodle board and voice
// interaction). Its panel comes later; what stands is the state the room
// shell reads and sets. GUI thread only.
#include <QWidget>
#include <QVariant>

class CHudongWidget : public QWidget {
    Q_OBJECT
public:
    explicit CHudongWidget(QWidget* parent = nullptr);
    void CloseBigOpenMedia();
    void ResetData();
    void SetBigOpenMediaStatus(bool open);
    void SetGraffitiStatus(bool open);
    bool IsBigOpenMedia() const { return m_bigOpenMedia; }
    bool IsGraffiti() const { return m_graffiti; }

signals:
    void sgBigOpenMedia(bool open);
    void sgControlCmd(int cmd, const QVariant& var);

public slots:
    void on_btnBigOpenMedia_clicked();

private:
    bool m_bigOpenMedia = false;  // GUI thread only, like every member
    bool m_graffiti = false;
};
