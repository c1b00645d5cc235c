#include "core/io/slot_handoff.h"

#include <system_error>
#include <utility>

namespace core {

SlotHandoff::SlotHandoff(int slots) {
    for (int s = 0; s < slots; ++s) {
        m_free.push_back(s);
    }
}

SlotHandoff::~SlotHandoff() {
    if (m_thread.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
}

bool SlotHandoff::Start(std::function<void()> fill) {
    try {
        m_thread = std::thread(std::move(fill));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

std::optional<int> SlotHandoff::Free() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stop || !m_free.empty(); });
    if (m_stop) {
        return std::nullopt;
    }
    const int s = m_free.back();
    m_free.pop_back();
    return s;
}

void SlotHandoff::Filled(int s, bool last) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_filled.push_back(s);
        m_finished = last;
    }
    m_changed.notify_all();
}

void SlotHandoff::Finished() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

std::optional<int> SlotHandoff::Next() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_taken >= 0) {
        m_free.push_back(std::exchange(m_taken, -1));
        m_changed.notify_all();
    }
    m_changed.wait(lock, [this] { return !m_filled.empty() || m_finished; });
    if (m_filled.empty()) {
        return std::nullopt;
    }
    m_taken = m_filled.front();
    m_filled.pop_front();
    return m_taken;
}

}  // namespace core
