#include "files_ahead.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

#include "prefaulted_memory.h"

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

    void Opened(uint64_t size) override {
        file.size = size;
        file.left = size > kLargestAhead;
        if (!file.left && size > m_capacity) {
            Release();
            m_capacity = std::max<size_t>(static_cast<size_t>(size), size_t{1} << 20);
            m_data = static_cast<char*>(AllocatePrefaulted(m_capacity));
        }
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
    for (int s = 0; s < kSlots; ++s) {
        m_free.push_back(s);
    }
    try {
        m_thread = std::thread([this] { ReadAll(); });
    } catch (const std::system_error&) {
        // No thread to be had: every file is left to the loader.
        m_stop = true;
    }
}

FilesAhead::~FilesAhead() {
    if (m_thread.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
}

FilesAhead::File FilesAhead::Next() {
    if (!m_thread.joinable()) {
        File left;
        left.left = true;
        return left;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_taken >= 0) {
        m_free.push_back(std::exchange(m_taken, -1));
        m_changed.notify_all();
    }
    m_changed.wait(lock, [this] { return !m_ready.empty(); });
    m_taken = m_ready.front();
    m_ready.pop_front();
    return m_slots[static_cast<size_t>(m_taken)].file;
}

void FilesAhead::ReadAll() {
    for (const std::string& path : m_paths) {
        int s = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_free.empty(); });
            if (m_stop) {
                return;
            }
            s = m_free.back();
            m_free.pop_back();
        }
        Slot& slot = m_slots[static_cast<size_t>(s)];
        slot.Start();
        try {
            slot.file.failure = m_source.ReadPieces(path, slot);
        } catch (const std::bad_alloc&) {
            slot.file.left = true;  // the loader meets the shortage itself and says so
        }
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ready.push_back(s);
        }
        m_changed.notify_all();
    }
}

}  // namespace core
