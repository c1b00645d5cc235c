#include "core/io/text_store.h"

#include <algorithm>
#include <cstring>

namespace core {

TextStore& TextStore::operator=(TextStore&& other) noexcept {
    m_blocks = std::move(other.m_blocks);
    m_free = std::exchange(other.m_free, nullptr);
    m_left = std::exchange(other.m_left, 0);
    m_nextBlock = std::exchange(other.m_nextBlock, 0);
    return *this;
}

std::string_view TextStore::Keep(std::string_view head, std::string_view tail) {
    constexpr size_t kFirstBlock = size_t{64} << 10;
    constexpr size_t kLargestBlock = size_t{32} << 20;
    const size_t size = head.size() + tail.size();
    char* into = nullptr;
    if (size > kLargestBlock / 4) {
        // A long line gets a block of its own; the block being filled stays in use.
        into = m_blocks.emplace_back(size).data;
    } else {
        if (size > m_left) {
            const size_t bytes = std::max(std::max(kFirstBlock, m_nextBlock), size);
            m_nextBlock = std::min(2 * bytes, kLargestBlock);
            m_free = m_blocks.emplace_back(bytes).data;
            m_left = bytes;
        }
        into = m_free;
        m_free += size;
        m_left -= size;
    }
    if (!head.empty()) {
        std::memcpy(into, head.data(), head.size());
    }
    if (!tail.empty()) {
        std::memcpy(into + head.size(), tail.data(), tail.size());
    }
    return std::string_view(into, size);
}

void TextStore::Clear() {
    m_blocks.clear();
    m_free = nullptr;
    m_left = 0;
    m_nextBlock = 0;
}

}  // namespace core
