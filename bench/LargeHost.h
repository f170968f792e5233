#ifndef SENSORCONTROL_BENCH_LARGEHOST_H
#define SENSORCONTROL_BENCH_LARGEHOST_H

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A camera's main application around the library: 256 MB of touched memory
// and 32 threads that sleep until it goes. What a start costs can grow with
// the host when it copies or walks the host's address space.
class LargeHost {
public:
    LargeHost() : m_pMemory(new char[kBytes]) {
        std::memset(m_pMemory.get(), 1, kBytes);
        benchmark::DoNotOptimize(m_pMemory.get());
        for (int index = 0; index < kThreads; ++index) {
            m_threads.emplace_back([this] {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_bStop; });
            });
        }
    }
    ~LargeHost() {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_bStop = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads) {
            thread.join();
        }
    }
    LargeHost(const LargeHost&) = delete;
    LargeHost& operator=(const LargeHost&) = delete;

private:
    static const std::size_t kBytes = std::size_t(256) << 20;
    static const int kThreads = 32;
    std::unique_ptr<char[]> m_pMemory;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
};

#endif
