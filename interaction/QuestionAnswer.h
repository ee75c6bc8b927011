#pragma once
// The student's answer panel for a question. Its form comes later.
// GUI thread only.
#include <QWidget>
#include <QVariant>

class QuestionAnswer : public QWidget {
    Q_OBJECT
public:
    explicit QuestionAnswer(QWidget* parent = nullptr);
    void ShowWidget(QVariant question);
    QVariantMap Question() const { return m_question; }

private:
    QVariantMap m_question;  // GUI thread only
};
