#include "platform/message_window.h"

#include <QMetaObject>
#include <QObject>

TMessageWindow::TMessageWindow(TProcedure procedure)
    : Procedure(std::move(procedure)), State(std::make_unique<TState>()), Receiver(std::make_unique<QObject>()) {
    State->Handle.Context = State.get();
    State->Handle.Post = &TMessageWindow::Post;
    State->Receiver = Receiver.get();
    State->Owner = this;
}

TMessageWindow::~TMessageWindow() {
    std::lock_guard guard(State->Lock);
    State->Closed = true;
    State->Queue.clear();
    State->Receiver = nullptr;
}

void TMessageWindow::Post(TWindowHandle* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!window || !window->Context) return;
    auto* state = static_cast<TState*>(window->Context);
    std::lock_guard guard(state->Lock);
    if (state->Closed) return;
    state->Queue.push_back(TWindowMessage{window, message, wParam, lParam, 0, 0, 0});
    // The call runs on the receiver's thread, and not at all once the
    // receiver (owned by the window) is gone.
    TMessageWindow* owner = state->Owner;
    QMetaObject::invokeMethod(state->Receiver, [owner] { owner->DispatchPosted(); }, Qt::QueuedConnection);
}

void TMessageWindow::DispatchPosted() {
    for (;;) {
        TWindowMessage message;
        {
            std::lock_guard guard(State->Lock);
            if (State->Queue.empty()) return;
            message = State->Queue.front();
            State->Queue.pop_front();
        }
        Procedure(message);
    }
}

intptr_t TMessageWindow::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return Procedure(TWindowMessage{&State->Handle, message, wParam, lParam, 0, 0, 0});
}
