// The text store: where the stored lines of a load keep their bytes. Blocks are filled in turn,
// each twice the last up to a limit, so that a line costs its bytes and no allocation of its own.
#ifndef CORE_IO_TEXT_STORE_H_
#define CORE_IO_TEXT_STORE_H_

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "core/io/prefaulted_memory.h"

namespace core {

class TextStore {
public:
    TextStore() = default;
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;
    // Takes over the other store's blocks, which stay where they are: the views Keep returned
    // stay valid and now belong to this store. The other store is left empty.
    TextStore(TextStore&& other) noexcept { *this = std::move(other); }
    TextStore& operator=(TextStore&& other) noexcept;

    // Copies `head` followed by `tail` into the store and returns the copy, which stays valid
    // and in place until Clear or the store's end. Throws std::bad_alloc when no block can be
    // had; the store is then as before.
    std::string_view Keep(std::string_view head, std::string_view tail);

    // Releases every block: the views Keep returned dangle.
    void Clear();

private:
    struct Block {
        explicit Block(size_t bytes)
            : data(static_cast<char*>(AllocatePrefaulted(bytes))), size(bytes) {}
        Block(Block&& other) noexcept
            : data(std::exchange(other.data, nullptr)), size(std::exchange(other.size, 0)) {}
        Block(const Block&) = delete;
        Block& operator=(const Block&) = delete;
        ~Block() {
            if (data != nullptr) {
                FreePrefaulted(data, size);
            }
        }
        char* data = nullptr;
        size_t size = 0;
    };

    std::vector<Block> m_blocks;
    char* m_free = nullptr;
    size_t m_left = 0;
    size_t m_nextBlock = 0;
};

}  // namespace core

#endif  // CORE_IO_TEXT_STORE_H_
