#pragma once

#include "platform/window_handle.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

// An invisible window: the object behind a TWindowHandle. Messages posted to
// the handle, from any thread, are queued and handed to the procedure on the
// thread that created the window, through that thread's event loop (or at
// once by DispatchPosted). After the window is destroyed posting does nothing.
class TMessageWindow {
public:
    using TProcedure = std::function<intptr_t(const TWindowMessage& message)>;

    explicit TMessageWindow(TProcedure procedure);
    ~TMessageWindow();
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    TWindowHandle* Handle() { return &State->Handle; }

    // Hands every queued message to the procedure now, on the calling thread.
    void DispatchPosted();
    // Sends one message straight to the procedure.
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    struct TState {
        TWindowHandle Handle{};
        std::mutex Lock;
        std::deque<TWindowMessage> Queue;
        QObject* Receiver = nullptr;
        TMessageWindow* Owner = nullptr;
        bool Closed = false;
    };
    static void Post(TWindowHandle* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

    TProcedure Procedure;
    std::unique_ptr<TState> State;
    std::unique_ptr<QObject> Receiver;
};
