// Top-level windows of given classes on a thread of the test (with its own
// message loop, so that another thread or process can send them messages),
// noting which received WM_CLOSE and what a probe said at that moment; and a
// delivery window whose program hangs while it handles WM_CLOSE.
#pragma once

#include "common/unique_handle.h"

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
    // The windows, in the order of the class names.
    const std::vector<HWND>& Handles() const { return windows_; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    void Run();

    std::vector<std::string> classes_;
    std::function<bool()> probe_;
    std::unique_ptr<std::atomic<bool>[]> closed_;
    std::unique_ptr<std::atomic<bool>[]> probed_;
    std::vector<HWND> windows_; // written by the thread before ready_
    std::atomic<bool> ready_{false};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
};

// One window of the class, on a thread of its own, whose WM_CLOSE does not
// return until Release() (or the object goes, or 120 s have passed): a
// delivery program that hangs while it shuts down.
class HungDeliveryWindow {
  public:
    explicit HungDeliveryWindow(const std::string& className);
    ~HungDeliveryWindow();
    HungDeliveryWindow(const HungDeliveryWindow&) = delete;
    HungDeliveryWindow& operator=(const HungDeliveryWindow&) = delete;

    HWND Handle() const { return window_.Handles().front(); }
    // Whether WM_CLOSE has reached the window (whether or not it returned).
    bool CloseArrived() const { return arrived_; }
    void Release() const { SetEvent(release_.get()); }

  private:
    postern::UniqueKernelHandle release_;
    std::atomic<bool> arrived_{false};
    DeliveryWindows window_; // last: its thread uses the members above
};

// The top-level windows in the order the system enumerates them.
std::vector<HWND> TopLevelWindows();

} // namespace setup_test
