#include "libs/avplayer/ByteRing.h"

#include <cstdlib>
#include <cstring>

namespace avplayer {

ByteRing::~ByteRing() { clear(); }

bool ByteRing::push(const void* data, size_t n)
{
    if (n == 0)
        return true;
    const size_t newSize = m_size + n;
    if (m_capacity < newSize) {
        size_t newCapacity = m_capacity * 2;
        if (newCapacity < newSize)
            newCapacity = newSize;
        auto* grown = static_cast<uint8_t*>(realloc(m_data, newCapacity));
        if (!grown)
            return false;
        m_data = grown;
        const size_t gained = newCapacity - m_capacity;
        if (m_size > 0 && m_end <= m_start) {
            if (m_start == 0) {
                // Full and unwrapped: the free space simply follows the data.
                m_end = m_capacity;
            } else {
                // Wrapped: move the stretch start..old end behind the grown part.
                memmove(m_data + m_start + gained, m_data + m_start, m_capacity - m_start);
                m_start += gained;
            }
        } else if (m_size == 0) {
            m_start = m_end = 0;
        }
        m_capacity = newCapacity;
    }
    const auto* src = static_cast<const uint8_t*>(data);
    const size_t first = m_capacity - m_end < n ? m_capacity - m_end : n;
    memcpy(m_data + m_end, src, first);
    if (first < n)
        memcpy(m_data, src + first, n - first);
    m_end = (m_end + n) % m_capacity;
    m_size = newSize;
    return true;
}

size_t ByteRing::pop(void* out, size_t n)
{
    if (n > m_size)
        n = m_size;
    if (n == 0)
        return 0;
    const size_t first = m_capacity - m_start < n ? m_capacity - m_start : n;
    if (out) {
        memcpy(out, m_data + m_start, first);
        if (first < n)
            memcpy(static_cast<uint8_t*>(out) + first, m_data, n - first);
    }
    m_start += n;
    if (m_start >= m_capacity)
        m_start -= m_capacity;
    m_size -= n;
    return n;
}

void ByteRing::clear()
{
    free(m_data);
    m_data = nullptr;
    m_size = m_start = m_end = m_capacity = 0;
}

}  // namespace avplayer
