#pragma once
// A FIFO of bytes in one growing block. A push that does not fit doubles the
// block (or grows it to the needed size, whichever is larger); when the
// content wraps, the stretch from start to the old end of the block moves to
// the end of the grown block. Not thread-safe: the owner holds its own lock.
#include <cstddef>
#include <cstdint>

namespace avplayer {

class ByteRing {
public:
    ByteRing() = default;
    ~ByteRing();
    ByteRing(const ByteRing&) = delete;
    ByteRing& operator=(const ByteRing&) = delete;

    // Appends n bytes; false only when the block cannot be grown.
    bool push(const void* data, size_t n);
    // Takes up to n bytes from the front into out (may be null to drop them);
    // returns the count taken.
    size_t pop(void* out, size_t n);
    // Frees the block and empties the ring.
    void clear();

    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    size_t start() const { return m_start; }
    size_t end() const { return m_end; }

private:
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_start = 0;
    size_t m_end = 0;
    size_t m_capacity = 0;
};

}  // namespace avplayer
