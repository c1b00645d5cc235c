// A fixed number of slots handed in order between a thread of its own that fills them and the
// thread that takes them: the reading ahead of a file's pieces, and of the files of a load.
#ifndef CORE_IO_SLOT_HANDOFF_H_
#define CORE_IO_SLOT_HANDOFF_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace core {

class SlotHandoff {
public:
    explicit SlotHandoff(int slots);
    SlotHandoff(const SlotHandoff&) = delete;
    SlotHandoff& operator=(const SlotHandoff&) = delete;
    // Stops the filling thread and waits for it. Declare the handoff after everything `fill`
    // uses, so that it goes first.
    ~SlotHandoff();

    // Runs `fill` on a thread of its own; false when no thread could be had.
    bool Start(std::function<void()> fill);
    bool Started() const { return m_thread.joinable(); }

    // Filling thread: the next free slot, once there is one; nullopt once the taker is gone.
    std::optional<int> Free();
    // Filling thread: slot `s` is filled; `last` when no other will follow.
    void Filled(int s, bool last);
    // Filling thread: no slot will follow.
    void Finished();

    // Taking thread: gives back the slot taken before and waits for the next filled one;
    // nullopt once the filling thread has finished and every filled slot has been taken.
    std::optional<int> Next();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int> m_free;
    std::deque<int> m_filled;
    int m_taken = -1;
    bool m_finished = false;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace core

#endif  // CORE_IO_SLOT_HANDOFF_H_
