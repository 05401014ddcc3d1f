// Windows of given classes on a thread of the test (see delivery_windows.h).
#include "delivery_windows.h"

#include "common/win_test_support.h"

namespace setup_test {

DeliveryWindows::DeliveryWindows(std::vector<std::string> classes, std::function<bool()> probe)
    : classes_(std::move(classes)), probe_(std::move(probe)),
      closed_(new std::atomic<bool>[classes_.size()]()),
      probed_(new std::atomic<bool>[classes_.size()]()) {
    thread_ = std::thread([this] { Run(); });
    postern::WaitFor([this] { return ready_.load(); });
}

DeliveryWindows::~DeliveryWindows() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

std::vector<DeliveryWindows::Close> DeliveryWindows::Closes() const {
    std::vector<Close> closes;
    for (std::size_t i = 0; i < classes_.size(); ++i)
        closes.push_back({closed_[i].load(), probed_[i].load()});
    return closes;
}

LRESULT CALLBACK DeliveryWindows::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<DeliveryWindows*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_CLOSE && self != nullptr) {
        const auto index = reinterpret_cast<std::size_t>(GetPropA(window, "index")) - 1;
        self->probed_[index] = self->probe_ ? self->probe_() : false;
        self->closed_[index] = true;
    }
    return DefWindowProcA(window, message, w, l);
}

void DeliveryWindows::Run() {
    threadId_ = GetCurrentThreadId();
    const HINSTANCE module = GetModuleHandleA(nullptr);
    for (std::size_t i = 0; i < classes_.size(); ++i) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = module;
        windowClass.lpszClassName = classes_[i].c_str();
        RegisterClassA(&windowClass); // a repeated name reuses its class
        HWND window = CreateWindowA(classes_[i].c_str(), "delivery", WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, module, nullptr);
        SetPropA(window, "index", reinterpret_cast<HANDLE>(i + 1));
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        windows_.push_back(window);
    }
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    ready_ = true;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    for (HWND window : windows_)
        if (IsWindow(window))
            DestroyWindow(window);
    for (const std::string& name : classes_)
        UnregisterClassA(name.c_str(), module);
}

HungDeliveryWindow::HungDeliveryWindow(const std::string& className)
    : release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), window_({className}, [this] {
          arrived_ = true;
          WaitForSingleObject(release_.get(), 120000);
          return true;
      }) {}

// The window's thread ends (the last member goes first) before the event is closed.
HungDeliveryWindow::~HungDeliveryWindow() {
    Release();
}

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

} // namespace setup_test
