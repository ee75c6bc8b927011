#pragma once
// The teacher's question editor. Its form comes later; it reports through
// sgControlCmd like the other room tools. GUI thread only.
#include <QWidget>
#include <QVariant>

class QuestionWidget : public QWidget {
    Q_OBJECT
public:
    explicit QuestionWidget(QWidget* parent = nullptr);

signals:
    void sgControlCmd(int cmd, const QVariant& var);
};
