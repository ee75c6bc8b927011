#pragma once
// HTTP GET through one libcurl easy handle, reused for every request of a
// stage. Every transfer carries a connect time-out and a low-speed time-out,
// only http and https are fetched, redirects are not followed, and a reply is
// good only with status 200.
#include <atomic>
#include <vector>
#include <cstddef>
#include <string>

typedef void CURL;

namespace update {

struct TransferLimits {
    long connectTimeoutSec = 15;  // time to establish the connection
    long lowSpeedBytes = 1;       // a transfer slower than this many bytes per second ...
    long lowSpeedTimeSec = 30;    // ... for this many seconds is aborted
    // A whole transfer may take baseTotalSec, plus one second for every
    // minBytesPerSec bytes it is expected to bring (a server that trickles
    // just above the low-speed rule cannot hold a transfer for ever).
    long baseTotalSec = 300;
    long minBytesPerSec = 16 * 1024;
    // The small replies (version, manifest) have a short limit of their own.
    long replyTotalSec = 30;
    long totalSecFor(size_t expectedBytes) const;
};

class HttpTransfer {
public:
    struct Result {
        long status = 0;         // HTTP status; 0 when no reply came
        int curlCode = 0;        // CURLcode of the transfer
        std::string error;       // why the transfer failed, empty when it did not
        bool tooLarge = false;   // the body exceeded the allowed size
        bool ok() const { return curlCode == 0 && status == 200; }
    };

    // cancel: when set by another thread, a running transfer stops soon.
    explicit HttpTransfer(const TransferLimits& limits, const std::atomic<bool>* cancel = nullptr);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    bool valid() const { return m_curl != nullptr; }

    // The body (at most maxBytes) into body, within limits.replyTotalSec. A
    // reply that announces more than maxBytes is refused before its body.
    Result get(const std::string& url, std::string& body, size_t maxBytes = 16u << 20);
    // The body into a new file at path, collected in a buffer of bufferBytes
    // and written when it fills and at the end; more than maxBytes is a
    // failure (tooLarge), refused at once when the reply announces it. The
    // file is removed when the transfer fails.
    Result download(const std::string& url, const std::string& path, size_t maxBytes,
                    size_t bufferBytes = 4u << 20);

    // True for http:// and https:// URLs (either case).
    static bool allowedUrl(const std::string& url);
    // libcurl's version text (the user agent).
    static const char* userAgent();

private:
    Result perform(const std::string& url, void* sink, size_t maxBytes);

    CURL* m_curl = nullptr;            // owning thread only
    std::vector<char> m_buffer;        // owning thread only: the download buffer, made once
    TransferLimits m_limits;
    const std::atomic<bool>* m_cancel; // read on the transfer thread; written by its owner
};

}  // namespace update
