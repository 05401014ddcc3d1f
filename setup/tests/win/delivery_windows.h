// Top-level windows of given classes on a thread of the test (with its own
// message loop, so that another thread or process can send them messages),
// noting which received WM_CLOSE and what a probe said at that moment.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace setup_test {

class DeliveryWindows {
  public:
    struct Close {
        bool closed = false;
        bool probe = false; // what the probe returned when WM_CLOSE arrived
        bool operator==(const Close&) const = default;
    };

    // One window per class name; names may repeat.
    DeliveryWindows(std::vector<std::string> classes, std::function<bool()> probe = {});
    ~DeliveryWindows();
    DeliveryWindows(const DeliveryWindows&) = delete;
    DeliveryWindows& operator=(const DeliveryWindows&) = delete;

    // Per window, in the order of the class names.
    std::vector<Close> Closes() const;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    void Run();

    std::vector<std::string> classes_;
    std::function<bool()> probe_;
    std::unique_ptr<std::atomic<bool>[]> closed_;
    std::unique_ptr<std::atomic<bool>[]> probed_;
    std::atomic<bool> ready_{false};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
};

} // namespace setup_test
