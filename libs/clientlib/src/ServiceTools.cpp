// The interaction tools of the class-room service: hand-up and voice
// interaction, countdown, quiz, pen permission, notice, lottery, products.
// Each answers as a room would: the echo of the teacher's action, then what
// the simulated students do.
#include "libs/clientlib/src/ClassroomService.h"

#include <QDateTime>

#include <algorithm>

namespace clientlib {
namespace {

bool liveType(const QStringList& vars)
{
    static const QStringList live = {"1", "2", "5", "100", "101"};
    return vars.size() >= 6 && live.contains(vars.at(5));
}

}  // namespace

void ClassroomService::setVoiceInteraction(bool on, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    m_voiceOn = on;
    ev->append({liveType(m_loginVars) ? 154 : 122, QVariantMap{{"handup", on}}});
    if (!on) {
        for (RoomUser& u : m_users) u.handup = false;
        return;
    }
    // Students who like to speak put their hands up shortly after.
    int delay = 400;
    for (const QString& id : m_joinOrder) {
        const StudentRec* s = student(id);
        if (!s || s->raiseHandAfterMs < 0) continue;
        later(m_gen, delay, [this, id](Events* e) {
            if (m_voiceOn && m_users.contains(id) && !m_users[id].handup) handLocked(id, true, e);
        });
        delay += 300;
    }
}

void ClassroomService::setCountdown(int seconds, bool start, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    ev->append({134, QVariantMap{{"start", start}, {"totalTs", start ? seconds : 0}}});
}

QVariantMap ClassroomService::questionResult() const
{
    QVector<int> counts(qMax(0, m_questionNum) + 1, 0);
    int right = 0;
    QList<int> want = m_questionRight;
    std::sort(want.begin(), want.end());
    for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
        QList<int> got = it.value();
        std::sort(got.begin(), got.end());
        for (int o : got)
            if (o >= 1 && o <= m_questionNum) ++counts[o];
        if (got == want) ++right;
    }
    QVariantList items;
    const int total = m_answers.size();
    for (int i = 1; i <= m_questionNum; ++i)
        items << QVariantMap{{"index", i},
                             {"count", counts[i]},
                             {"isResult", want.contains(i) ? 1 : 0},
                             {"percent", QString::number(total ? 100.0 * counts[i] / total : 0.0, 'f', 2)}};
    const double percent = total ? 100.0 * right / total : 0.0;
    const qint64 elapsed = (QDateTime::currentMSecsSinceEpoch() - m_questionStart) / 1000;
    return {{"id", m_questionId}, {"type", m_questionType}, {"totalTs", int(elapsed)},
            {"showNum", m_questionShowNum ? 1 : 0}, {"rightPercent", QString::number(percent, 'f', 2)},
            {"totalResult", QString::number(total)}, {"listItem", items}};
}

void ClassroomService::scheduleAnswers(quint64 gen, qint64 questionId)
{
    for (const QString& id : m_joinOrder) {
        const StudentRec* s = student(id);
        if (!s) continue;
        QList<int> answer = s->answers.isEmpty() ? QList<int>{1} : s->answers;
        later(gen, s->answerAfterMs, [this, id, answer, questionId](Events* ev) {
            if (m_questionId != questionId || !m_users.contains(id)) return;
            QList<int> valid;
            for (int o : answer)
                if (o >= 1 && o <= m_questionNum) valid << o;
            if (valid.isEmpty()) valid << 1;
            m_answers.insert(id, valid);
            ev->append({136, questionResult()});
        });
    }
}

bool ClassroomService::publishQuestion(int type, int num, const QList<int>& right, qint64 id, bool showNum,
                                       Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_inRoom || num < 1 || num > 6 || id == 0) return false;
    m_questionId = id;
    m_questionType = type;
    m_questionNum = num;
    m_questionRight = right;
    m_questionShowNum = showNum;
    m_questionStart = QDateTime::currentMSecsSinceEpoch();
    m_answers.clear();
    Q_UNUSED(ev);  // the question goes to the students; the teacher hears their answers (136)
    scheduleAnswers(m_gen, id);
    return true;
}

bool ClassroomService::stopQuestion(Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_inRoom || m_questionId == 0) return false;
    ev->append({136, questionResult()});
    ev->append({137, QVariantMap{{"id", m_questionId}}});
    m_questionId = 0;
    m_answers.clear();
    return true;
}

void ClassroomService::setDoodleBoard(bool on, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    m_doodleOn = on;
    ev->append({138, QVariantMap{{"open", on}}});
}

void ClassroomService::publishNotice(qint64 id, const QString& json, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    m_noticeId = json.isEmpty() ? 0 : id;
    m_notice = json;
    ev->append({139, QVariantMap{{"id", id}, {"msg", json}}});
}

void ClassroomService::drawLottery(quint64 gen, qint64 lotteryId)
{
    int drawMs = m_data.lotteryDrawMs;
    later(gen, drawMs, [this, lotteryId](Events* ev) {
        if (m_lotteryId != lotteryId) return;
        // Winners: the joined students, starting at a place the id picks.
        QVariantList winners;
        const int n = m_lotteryJoined.size();
        const int start = n ? int(lotteryId % n) : 0;
        for (int i = 0; i < n && winners.size() < m_lotteryCount; ++i) {
            const QString id = m_lotteryJoined.at((start + i) % n);
            const StudentRec* s = student(id);
            winners << QVariantMap{{"userid", id}, {"username", s ? s->userName : id}};
        }
        ev->append({148, QVariantMap{{"id", lotteryId}, {"count", m_lotteryCount}, {"listdata", winners}}});
    });
}

bool ClassroomService::setLottery(int count, qint64 id, bool start, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_inRoom || id == 0) return false;
    if (!start) {
        if (id != m_lotteryId) return false;
        m_lotteryId = 0;
        m_lotteryJoined.clear();
        ev->append({151, QVariantMap{{"id", id}}});
        return true;
    }
    if (count < 1) return false;
    m_lotteryId = id;
    m_lotteryCount = count;
    m_lotteryJoined.clear();
    for (const QString& uid : m_joinOrder)
        if (student(uid)) m_lotteryJoined << uid;  // every student present takes part
    drawLottery(m_gen, id);
    return true;
}

void ClassroomService::productList(bool ad, const QString& lastTs, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    Q_UNUSED(lastTs);
    const QVariantList& src = ad ? m_data.adProducts : m_data.products;
    QVariantList list;
    for (const QVariant& v : src) {
        QVariantMap p = v.toMap();
        p.insert(QStringLiteral("upstatus"), p.value(QStringLiteral("productid")).toString() == m_upProduct[ad ? 1 : 0]
                                                 ? QStringLiteral("1")
                                                 : QStringLiteral("0"));
        list << p;
    }
    ev->append({ad ? 144 : 140, QVariantMap{{"lastts", QString::number(QDateTime::currentMSecsSinceEpoch())},
                                            {"listdata", list}}});
}

bool ClassroomService::productUpDown(bool ad, bool up, const QVariantMap& product, Events* ev)
{
    std::lock_guard<std::mutex> lk(m_lock);
    const QString id = product.value(QStringLiteral("productid")).toString();
    const QVariantList& src = ad ? m_data.adProducts : m_data.products;
    for (const QVariant& v : src) {
        QVariantMap p = v.toMap();
        if (p.value(QStringLiteral("productid")).toString() != id || id.isEmpty()) continue;
        QString& current = m_upProduct[ad ? 1 : 0];
        if (!up && current != id) return false;
        current = up ? id : QString();
        p.insert(QStringLiteral("upstatus"), up ? QStringLiteral("1") : QStringLiteral("0"));
        ev->append({ad ? (up ? 145 : 146) : (up ? 141 : 142), p});
        return true;
    }
    return false;
}

}  // namespace clientlib
