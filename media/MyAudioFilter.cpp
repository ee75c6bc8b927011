#include "media/MyAudioFilter.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"

MyAudioFilter::MyAudioFilter(int sampleRate, int sampleFormat, int channels)
    : m_sampleRate(sampleRate),
      m_sampleFormat(sampleFormat),
      m_channels(channels),
      m_userId(QString::fromStdString(CData::instance()->GetLocalUser()->userId))
{
    Logger::instance()->Log(LOG_INFO, "MyAudioFilter::MyAudioFilter", "qtav audio filter sampleRate %d ch %d fmt %d",
                            m_sampleRate, m_channels, m_sampleFormat);
}

void MyAudioFilter::process(const int16_t* samples, int count)
{
    if (!m_enabled || !samples || count <= 0)
        return;
    Room::instance()->OnAudioDataBC(m_userId, samples, 16, m_sampleRate, m_channels, count, 0, 0);
}
