#include "libs/avplayer/MediaInput.h"

#include "libs/avplayer/AvLog.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

namespace avplayer {

MediaInput::~MediaInput() { close(); }

void MediaInput::renew() { m_markUs.store(av_gettime_relative()); }

int MediaInput::interruptCallback(void* opaque)
{
    auto* self = static_cast<MediaInput*>(opaque);
    if (self->m_abort.load())
        return 1;
    const int64_t timeout = self->m_timeoutUs.load();
    if (timeout == -1)
        return 0;
    const int64_t elapsed = av_gettime_relative() - self->m_markUs.load();
    if (elapsed < timeout)
        return 0;
    log(AvLogWarn, "avplayer::RtmpPlayer::interrupt_callback", "ffmpeg Check Interrupt timeout exit. %d",
        int(elapsed));
    return 1;
}

int MediaInput::open(const std::string& url, AVDictionary** options, const char* formatName)
{
    close();
    m_context = avformat_alloc_context();
    if (!m_context)
        return AVERROR(ENOMEM);
    m_context->interrupt_callback.callback = &MediaInput::interruptCallback;
    m_context->interrupt_callback.opaque = this;
    const AVInputFormat* format = formatName ? av_find_input_format(formatName) : nullptr;
    renew();
    // On failure avformat_open_input frees the context and nulls the pointer.
    return avformat_open_input(&m_context, url.c_str(), format, options);
}

int MediaInput::findStreamInfo()
{
    if (!m_context)
        return AVERROR(EINVAL);
    renew();
    return avformat_find_stream_info(m_context, nullptr);
}

int MediaInput::read(AVPacket* packet)
{
    if (!m_context)
        return AVERROR(EINVAL);
    renew();
    return av_read_frame(m_context, packet);
}

void MediaInput::close()
{
    if (m_context)
        avformat_close_input(&m_context);
}

}  // namespace avplayer
