// The window's message queue.
#include <deque>

#include "platform/core.h"
#include "platform/platform.h"

namespace plat {
namespace {
std::deque<Message> queue;
}

bool PeekMessage(Message* message) {
    if (queue.empty()) return false;
    if (message != nullptr) *message = queue.front();
    queue.pop_front();
    return true;
}

void PostMessage(uint32_t id, uintptr_t wParam, intptr_t lParam) { queue.push_back(Message{id, wParam, lParam}); }

void PostQuitMessage(int exitCode) { PostMessage(MsgQuit, static_cast<uintptr_t>(exitCode), 0); }

intptr_t DefaultWindowProc(const Message& message) {
    if (message.Id == MsgClose) PostMessage(MsgDestroy, 0, 0);
    return 0;
}

namespace core {
void ClearMessages() { queue.clear(); }
}  // namespace core

}  // namespace plat
