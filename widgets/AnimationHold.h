#pragma once
// A stretch of time inside an animation group that changes nothing. Unlike
// QPauseAnimation it keeps the animation clock ticking (Qt swaps the clock
// for a plain timer while only pauses run), so a whole group follows one
// clock, which tests can replace. GUI thread only.
#include <QVariantAnimation>

class AnimationHold : public QVariantAnimation {
    Q_OBJECT
public:
    explicit AnimationHold(int ms, QObject* parent = nullptr) : QVariantAnimation(parent)
    {
        setDuration(qMax(0, ms));
        setStartValue(0);
        setEndValue(0);
    }

protected:
    void updateCurrentValue(const QVariant&) override {}
};
