// The device check's speaker page: the speaker list and volume, one of four
// animal sounds drawn at random and played for a fixed window, the animal
// the teacher heard, and the two answers. "可以听到" needs the right animal.
#include "device/DeviceCheckDialog.h"

#include "app/Logger.h"
#include "app/PubUtils.h"
#include "ui_CheckDeviceForm.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QSaveFile>
#include <QStyle>

#include <ctime>
#include <random>

namespace {

const struct {
    const char* resource;
    const char* name;
} kTestSounds[] = {
    {":/setting/res/setting/animal_voice/dog.mp3", QT_TRANSLATE_NOOP("DeviceCheckDialog", "狗叫声")},
    {":/setting/res/setting/animal_voice/cat.mp3", QT_TRANSLATE_NOOP("DeviceCheckDialog", "猫叫声")},
    {":/setting/res/setting/animal_voice/sheep.mp3", QT_TRANSLATE_NOOP("DeviceCheckDialog", "羊叫声")},
    {":/setting/res/setting/animal_voice/cattle.mp3", QT_TRANSLATE_NOOP("DeviceCheckDialog", "牛叫声")},
};
constexpr int kTestSoundCount = 4;

// Copies a sound of the resources into the temporary folder. A file of the
// same name already there is used only when it holds exactly these bytes; any
// other is replaced, so the test never plays a sound it did not mean.
// Empty when the copy cannot be made.
QString freshTempCopy(const QString& resource)
{
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = source.readAll();
    const QString target = QString::fromStdString(PubUtils::GetTempDir()) + "/" + QFileInfo(resource).fileName();
    QFile existing(target);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return target;
    existing.close();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return QString();
    return target;
}

}  // namespace

void DeviceCheckDialog::initSpeakerPage()
{
    ui->speakerDevicesCombox->setView(new QListView(ui->speakerDevicesCombox));
    IMediaEngine* e = engine();
    QList<DevicePair> speakers;
    e->getOutputAudioDevices(speakers);
    shownSpeakers =
        fillDeviceCombo(ui->speakerDevicesCombox, speakers, e->getCurOutputAudioDevice(), tr("没有找到扬声器"));

    ui->speakerVolumeSlider->setRange(0, 100);
    const int volume = qBound(0, e->getOutputAudioVolume(), 100);
    {
        const QSignalBlocker blocker(ui->speakerVolumeSlider);
        ui->speakerVolumeSlider->setValue(volume);
    }
    ui->speakerLevelLabel->setText(QString::number(volume));

    connect(ui->speakerVolumeSlider, &QSlider::valueChanged, this,
            [this](int value) {
                engine()->setOutputAudioVolume(value);
                ui->speakerLevelLabel->setText(QString::number(value));
            });
    connect(ui->speakerDevicesCombox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &DeviceCheckDialog::onSpeakerChosen, Qt::UniqueConnection);
    connect(ui->canHearBtn, &QPushButton::clicked, this, [this] { answerSpeaker(true); });
    connect(ui->cannotHearBtn, &QPushButton::clicked, this, [this] { answerSpeaker(false); });
    initTestAudioInfo();
}

void DeviceCheckDialog::initTestAudioInfo()
{
    if (testAudioList.isEmpty()) {
        for (const auto& sound : kTestSounds) {
            const QString path = freshTempCopy(QString::fromLatin1(sound.resource));
            if (path.isEmpty()) {
                Logger::instance()->Log(LOG_WARN, "DeviceCheckDialog::initTestAudioInfo", "cannot copy test sound %s",
                                        sound.resource);
                continue;
            }
            testAudioList.append({path, tr(sound.name)});
        }
    }
    connect(ui->playBtn, &QPushButton::clicked, this, &DeviceCheckDialog::onPlayClicked, Qt::UniqueConnection);
    connect(&playTimer, &QTimer::timeout, this, &DeviceCheckDialog::onPlayWindowEnd, Qt::UniqueConnection);
    if (!audioGroup) {
        audioGroup = new QButtonGroup();
        for (QAbstractButton* b : {ui->auidoFileBtn_1, ui->auidoFileBtn_2, ui->auidoFileBtn_3, ui->auidoFileBtn_4})
            audioGroup->addButton(b);
        connect(audioGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
                &DeviceCheckDialog::onAnimalClicked);
    }
}

void DeviceCheckDialog::onSpeakerChosen()
{
    const QString id = ui->speakerDevicesCombox->currentData().toString();
    if (!id.isEmpty())
        engine()->setCurOutputAudioDevice(id);
}

void DeviceCheckDialog::resetSpeakerTest()
{
    engine()->stopAudioFile();
    firstPlayDone = false;
    if (auto speaker = checker<CheckSpeakerInfo>(kSpeakerPage))
        speaker->played = false;
    ui->playBtn->setProperty("status", "start");
    resetTestAudioInfo();
    refreshSpeakerButtons();
}

void DeviceCheckDialog::resetTestAudioInfo()
{
    if (testAudioList.size() < kTestSoundCount) {
        Logger::instance()->Log(LOG_INFO, "DeviceCheckDialog::resetTestAudioInfo",
                                "resetTestAudioInfo failed,test audio file is below 4 ");
        return;
    }
    if (auto speaker = checker<CheckSpeakerInfo>(kSpeakerPage)) {
        speaker->played = false;
        speaker->answerRight = false;
    }
    std::mt19937 generator(static_cast<std::mt19937::result_type>(std::time(nullptr)));
    std::uniform_int_distribution<int> draw(0, kTestSoundCount - 1);
    curAudioIndex = draw(generator);

    QAbstractButton* const buttons[] = {ui->auidoFileBtn_1, ui->auidoFileBtn_2, ui->auidoFileBtn_3,
                                        ui->auidoFileBtn_4};
    // Out of the exclusive group first, so that all four can end unchecked.
    for (int i = 0; i < kTestSoundCount; ++i) {
        audioGroup->removeButton(buttons[i]);
        buttons[i]->setProperty("id", i);
        buttons[i]->setStyleSheet(QStringLiteral("font: 13px; color:green"));
        buttons[i]->setChecked(false);
        buttons[i]->setEnabled(false);
    }
    for (QAbstractButton* b : buttons)
        audioGroup->addButton(b);
}

void DeviceCheckDialog::refreshSpeakerButtons()
{
    ui->playBtn->style()->unpolish(ui->playBtn);
    ui->playBtn->style()->polish(ui->playBtn);
    auto speaker = checker<CheckSpeakerInfo>(kSpeakerPage);
    const bool played = speaker && speaker->played;
    ui->canHearBtn->setEnabled(speaker && speaker->answerRight);
    ui->cannotHearBtn->setEnabled(played);
    for (QAbstractButton* b : {ui->auidoFileBtn_1, ui->auidoFileBtn_2, ui->auidoFileBtn_3, ui->auidoFileBtn_4})
        b->setEnabled(played);
}

void DeviceCheckDialog::onPlayClicked()
{
    if (ui->playBtn->property("status").toString() != QLatin1String("start"))
        return;
    ui->playBtn->setProperty("status", "playing");
    if (firstPlayDone) {
        resetTestAudioInfo();
        refreshSpeakerButtons();
    } else {
        firstPlayDone = true;
        ui->playBtn->style()->unpolish(ui->playBtn);
        ui->playBtn->style()->polish(ui->playBtn);
    }
    recheckSpeakers();
    if (curAudioIndex >= 0 && curAudioIndex < testAudioList.size()) {
        IMediaEngine* e = engine();
        e->enableMicrophoneMonitor(false);
        e->playAudioFile(testAudioList.at(curAudioIndex).first);
    }
    playTimer.start(kPlayWindowMs);
}

void DeviceCheckDialog::onPlayWindowEnd()
{
    if (ui->playBtn->property("status").toString() == QLatin1String("playing")) {
        ui->playBtn->setProperty("status", "start");
        if (auto speaker = checker<CheckSpeakerInfo>(kSpeakerPage))
            speaker->played = true;
        refreshSpeakerButtons();
    }
    engine()->stopAudioFile();
    playTimer.stop();
}

void DeviceCheckDialog::onAnimalClicked(QAbstractButton* button)
{
    if (auto speaker = checker<CheckSpeakerInfo>(kSpeakerPage))
        speaker->answerRight = button && button->property("id").toInt() == curAudioIndex;
    refreshSpeakerButtons();
}

void DeviceCheckDialog::answerSpeaker(bool canHear)
{
    if (auto speaker = checker<CheckSpeakerInfo>(kSpeakerPage)) {
        speaker->cannotHear = !canHear;
        speaker->checked = true;
    }
    setStepImage(ui->speakerPageBtn, canHear ? QStringLiteral("checkplay3.png") : QStringLiteral("checkplay2.png"));
    goToPage(kMicrophonePage);
}

void DeviceCheckDialog::recheckSpeakers()
{
    QList<DevicePair> speakers;
    engine()->getOutputAudioDevices(speakers);
    if (relistDevices(ui->speakerDevicesCombox, shownSpeakers, speakers, tr("没有找到扬声器"),
                      tr("扬声器已断开，请检查扬声器或声音服务"),
                      tr("所选扬声器已断开，已换用其他扬声器")) != Relisted::kSame)
        onSpeakerChosen();
}
