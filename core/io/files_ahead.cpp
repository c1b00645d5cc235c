#include "core/io/files_ahead.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "core/io/prefaulted_memory.h"

namespace core {

// One file's bytes in a buffer kept from file to file: fresh memory for each of many small
// files would cost more than reading them.
class FilesAhead::Slot : public FileReceiver {
public:
    Slot() = default;
    Slot(Slot&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    ~Slot() override { Release(); }

    File file;

    void Start() {
        file = File{};
        m_used = 0;
    }

    bool Opened(uint64_t size) override {
        file.size = size;
        file.left = size > kLargestAhead;
        if (!file.left && size > m_capacity) {
            Release();
            m_capacity = std::max<size_t>(static_cast<size_t>(size), size_t{1} << 20);
            m_data = static_cast<char*>(AllocatePrefaulted(m_capacity));
        }
        return !file.left;
    }

    bool Piece(std::string_view bytes) override {
        if (file.left || bytes.size() > file.size - m_used) {
            file.left = true;  // more than the file held when opened: the loader reads it again
            return false;
        }
        std::memcpy(m_data + m_used, bytes.data(), bytes.size());
        m_used += bytes.size();
        file.bytes = std::string_view(m_data, m_used);
        return true;
    }

private:
    void Release() {
        if (m_data != nullptr) {
            FreePrefaulted(m_data, m_capacity);
            m_data = nullptr;
            m_capacity = 0;
        }
    }

    char* m_data = nullptr;
    size_t m_capacity = 0;
    size_t m_used = 0;
};

FilesAhead::FilesAhead(const FileSource& source, const std::vector<std::string>& paths)
    : m_source(source), m_paths(paths), m_slots(kSlots) {
    m_handoff.Start([this] { ReadAll(); });  // without a thread every file is left to the loader
}

FilesAhead::~FilesAhead() = default;

FilesAhead::File FilesAhead::Next() {
    const std::optional<int> s = m_handoff.Started() ? m_handoff.Next() : std::nullopt;
    if (!s) {
        File left;
        left.left = true;
        return left;
    }
    return m_slots[static_cast<size_t>(*s)].file;
}

void FilesAhead::ReadAll() {
    for (size_t i = 0; i < m_paths.size(); ++i) {
        const std::optional<int> s = m_handoff.Free();
        if (!s) {
            return;
        }
        Slot& slot = m_slots[static_cast<size_t>(*s)];
        slot.Start();
        try {
            slot.file.failure = m_source.ReadPieces(m_paths[i], slot);
        } catch (const std::bad_alloc&) {
            slot.file.left = true;  // the loader meets the shortage itself and says so
        }
        // A load ends at the first file that fails: reading the next ones would be wasted.
        const bool failed = slot.file.failure && !slot.file.left;
        m_handoff.Filled(*s, failed || i + 1 == m_paths.size());
        if (failed) {
            return;
        }
    }
}

}  // namespace core
