#pragma once
// Quiz question types and their option labels, shared by the set-up,
// statistics and answer panels: 0 "对"/"错", 1 "是"/"否", 2 "懂"/"不懂",
// 3 "A".."F", 4 "1".."6"; options are numbered 1 to 6. GUI thread only.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QList>
#include <QStringList>

namespace quizlabels {

constexpr int kMaxOptions = 6;

enum QuestionType { kTrueFalse = 0, kYesNo = 1, kUnderstood = 2, kLetters = 3, kNumbers = 4 };

// The labels of a type; empty for an unknown type.
inline QStringList Labels(int type)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("QuestionLabels", text); };
    switch (type) {
    case kTrueFalse:
        return {tr("对"), tr("错")};
    case kYesNo:
        return {tr("是"), tr("否")};
    case kUnderstood:
        return {tr("懂"), tr("不懂")};
    case kLetters:
        return {"A", "B", "C", "D", "E", "F"};
    case kNumbers:
        return {"1", "2", "3", "4", "5", "6"};
    default:
        return {};
    }
}

// Switches an option button on (checkable and checked) or off (neither)
// and repaints it.
inline void SetOn(QAbstractButton* button, bool on)
{
    if (on) {
        button->setCheckable(true);
        button->setChecked(true);
    } else {
        button->setChecked(false);
        button->setCheckable(false);
    }
    button->update();
}

// Labels buttons 1.. by type; an unknown type leaves the labels as they are.
template <typename Button>
void Label(const QList<Button*>& buttons, int type)
{
    const QStringList labels = Labels(type);
    for (int i = 0; i < labels.size() && i < buttons.size(); ++i)
        buttons[i]->setText(labels[i]);
}

}  // namespace quizlabels
