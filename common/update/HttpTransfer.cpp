#include "common/update/HttpTransfer.h"

#include "common/CurlTls.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

namespace update {

namespace {

// Only the body of a 200 reply is taken; any other reply stops at its first byte.
bool replyIsGood(CURL* curl)
{
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status == 200;
}

struct StringSink {
    CURL* curl;
    std::string* body;
    size_t maxBytes;
    bool tooLarge = false;
};

size_t onStringData(char* data, size_t size, size_t count, void* user)
{
    auto* s = static_cast<StringSink*>(user);
    const size_t n = size * count;
    if (!replyIsGood(s->curl))
        return 0;
    if (s->body->size() + n > s->maxBytes) {
        s->tooLarge = true;
        return 0;  // stops the transfer
    }
    s->body->append(data, n);
    return n;
}

struct FileSink {
    CURL* curl = nullptr;
    FILE* file = nullptr;
    std::vector<char>& buffer;  // the transfer's own, reused from file to file

    explicit FileSink(std::vector<char>& b) : buffer(b) {}
    size_t used = 0;
    size_t total = 0;
    size_t maxBytes = 0;
    bool tooLarge = false;
    bool writeFailed = false;
    int writeErrno = 0;

    bool flush()
    {
        if (used > 0 && std::fwrite(buffer.data(), 1, used, file) != used) {
            writeFailed = true;
            writeErrno = errno;
            return false;
        }
        used = 0;
        return true;
    }
};

size_t onFileData(char* data, size_t size, size_t count, void* user)
{
    auto* s = static_cast<FileSink*>(user);
    const size_t n = size * count;
    if (!replyIsGood(s->curl))
        return 0;
    if (s->total + n > s->maxBytes) {
        s->tooLarge = true;
        return 0;
    }
    if (s->used + n > s->buffer.size() && !s->flush())
        return 0;
    if (n > s->buffer.size()) {
        // A piece larger than the whole buffer goes straight to the file.
        if (std::fwrite(data, 1, n, s->file) != n) {
            s->writeFailed = true;
            s->writeErrno = errno;
            return 0;
        }
    } else {
        std::memcpy(s->buffer.data() + s->used, data, n);
        s->used += n;
    }
    s->total += n;
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel && cancel->load() ? 1 : 0;
}

}  // namespace

HttpTransfer::HttpTransfer(const TransferLimits& limits, const std::atomic<bool>* cancel)
    : m_curl(curl_easy_init()), m_limits(limits), m_cancel(cancel)
{
    if (!m_curl)
        return;
    curl_easy_setopt(m_curl, CURLOPT_USERAGENT, userAgent());
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, m_limits.connectTimeoutSec);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, m_limits.lowSpeedBytes);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, m_limits.lowSpeedTimeSec);
    curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curltls::Apply(m_curl);
    curl_easy_setopt(m_curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(m_cancel));
}

HttpTransfer::~HttpTransfer()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

bool HttpTransfer::allowedUrl(const std::string& url)
{
    auto startsWith = [&url](const char* prefix) { return strncasecmp(url.c_str(), prefix, std::strlen(prefix)) == 0; };
    return startsWith("http://") || startsWith("https://");
}

const char* HttpTransfer::userAgent() { return curl_version(); }

long TransferLimits::totalSecFor(size_t expectedBytes) const
{
    const long rate = minBytesPerSec > 0 ? minBytesPerSec : 1;
    return baseTotalSec + static_cast<long>(expectedBytes / static_cast<size_t>(rate));
}

HttpTransfer::Result HttpTransfer::perform(const std::string& url, void* sink, size_t maxBytes)
{
    Result r;
    if (!m_curl) {
        r.curlCode = CURLE_FAILED_INIT;
        r.error = "no transfer handle";
        return r;
    }
    if (!allowedUrl(url)) {
        r.curlCode = CURLE_UNSUPPORTED_PROTOCOL;
        r.error = "only http and https addresses are fetched: " + url;
        return r;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, sink);
    // A length announced over the limit ends the transfer before its body.
    curl_easy_setopt(m_curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, errorBuffer);
    CURLcode code = curl_easy_perform(m_curl);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, nullptr);
    long status = 0;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
    r.status = status;
    r.curlCode = code;
    if (code == CURLE_FILESIZE_EXCEEDED && status == 200)
        r.tooLarge = true;
    if (status != 200 && status != 0)
        r.error = "HTTP status " + std::to_string(status);
    else if (code != CURLE_OK)
        r.error = curltls::Describe(code, errorBuffer);
    return r;
}

HttpTransfer::Result HttpTransfer::get(const std::string& url, std::string& body, size_t maxBytes)
{
    body.clear();
    StringSink sink{m_curl, &body, maxBytes};
    if (m_curl) {
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, onStringData);
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, m_limits.replyTotalSec);
    }
    Result r = perform(url, &sink, maxBytes);
    if (sink.tooLarge || r.tooLarge) {
        r.tooLarge = true;
        r.error = "reply larger than " + std::to_string(maxBytes) + " bytes";
    }
    return r;
}

HttpTransfer::Result HttpTransfer::download(const std::string& url, const std::string& path, size_t maxBytes,
                                            size_t bufferBytes)
{
    Result r;
    // The buffer is made once per transfer object (one per stage): its size
    // only grows, and no byte of it is cleared between files.
    if (m_buffer.size() < (bufferBytes > 0 ? bufferBytes : 1))
        m_buffer.resize(bufferBytes > 0 ? bufferBytes : 1);
    FileSink sink(m_buffer);
    sink.file = std::fopen(path.c_str(), "wbx");
    if (!sink.file) {
        r.curlCode = CURLE_WRITE_ERROR;
        r.error = "cannot create " + path + ": " + std::strerror(errno);
        return r;
    }
    sink.curl = m_curl;
    sink.maxBytes = maxBytes;
    if (m_curl) {
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, onFileData);
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, m_limits.totalSecFor(maxBytes));
    }
    r = perform(url, &sink, maxBytes);
    bool good = r.ok() && sink.flush();
    if (std::fclose(sink.file) != 0 && good) {
        good = false;
        sink.writeFailed = true;
        sink.writeErrno = errno;
    }
    if (sink.tooLarge || r.tooLarge) {
        r.tooLarge = true;
        r.error = "reply larger than " + std::to_string(maxBytes) + " bytes";
    } else if (sink.writeFailed) {
        r.error = "cannot write " + path + ": " + std::strerror(sink.writeErrno);
        if (r.curlCode == CURLE_OK)
            r.curlCode = CURLE_WRITE_ERROR;
    }
    if (!good)
        std::remove(path.c_str());
    return r;
}

}  // namespace update
