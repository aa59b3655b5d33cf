#pragma once
// A thread that is joined when it is destroyed, so that no path out of a
// scope leaves it running (what std::jthread does, for standard libraries
// that do not have it yet).

#include <thread>
#include <utility>

namespace kesp {

class JoiningThread {
public:
    template <class Body>
    explicit JoiningThread(Body&& body) : thread_(std::forward<Body>(body))
    {
    }
    ~JoiningThread()
    {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    JoiningThread(JoiningThread&&) noexcept = default;
    JoiningThread& operator=(JoiningThread&&) = delete;
    JoiningThread(const JoiningThread&) = delete;
    JoiningThread& operator=(const JoiningThread&) = delete;

private:
    std::thread thread_;
};

}  // namespace kesp
