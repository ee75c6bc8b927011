#pragma once
// The folder path of a cloud disk: one flat button per level from the root
// to the current folder, ">" between them. Each folder button keeps the
// page's description of its folder (property "wdgObj") and hands it back on
// a click, after cutting the path back to that level. GUI thread only.
#include <QVariant>
#include <QWidget>

#include <vector>

class QHBoxLayout;
class QPushButton;

class NetDirCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxButtonWidth = 120;
    static constexpr int kButtonHeight = 26;

    // Made without a parent and placed into container, followed by a stretch.
    explicit NetDirCtrl(QWidget* container);
    ~NetDirCtrl() override;

    // Adds a level unless it is already the last one or a level still waits
    // for its listing; busy makes this one wait.
    void AddDir(const QString& name, const QVariant& dirObj, bool busy);
    // The listing of the waiting level came (ok) or failed (its level goes,
    // never the root).
    void EndLoad(bool ok);
    void Clear();
    QVariant GetCurDir() const;

    // For checks.
    int ButtonCount() const { return int(m_buttons.size()); }
    QPushButton* Button(int i) const { return m_buttons.at(size_t(i)); }
    bool IsBusy() const { return m_busy; }

signals:
    void sgNetDirCmd(QVariant dirObj);

public slots:
    void onDirButtonClicked();

private:
    void RemoveButton(QPushButton* b);

    QHBoxLayout* m_layout = nullptr;       // the bar's own layout
    std::vector<QPushButton*> m_buttons;   // left to right; children of the bar
    bool m_busy = false;
};
