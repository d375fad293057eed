// The window's message queue.
#include <deque>

#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat {
namespace {
std::deque<Message> queue;
// As on the design platform, the quit message is a flag that is handed out
// only once every posted message has been taken.
bool quitPending = false;
int quitCode = 0;
uint64_t looks = 0;  // calls of PeekMessage
}  // namespace

bool PeekMessage(Message* message) {
    ++looks;
    Message taken;
    if (!queue.empty()) {
        taken = queue.front();
        queue.pop_front();
    } else if (quitPending) {
        quitPending = false;
        taken = Message{MsgQuit, static_cast<uintptr_t>(quitCode), 0};
    } else {
        return false;
    }
    if (message != nullptr) *message = taken;
    return true;
}

void PostMessage(uint32_t id, uintptr_t wParam, intptr_t lParam) { queue.push_back(Message{id, wParam, lParam}); }

void PostQuitMessage(int exitCode) {
    quitPending = true;
    quitCode = exitCode;
}

intptr_t DefaultWindowProc(const Message& message) {
    if (message.Id == MsgClose) PostMessage(MsgDestroy, 0, 0);
    return 0;
}

namespace core::detail {
void ClearMessages() {
    queue.clear();
    quitPending = false;
    looks = 0;
}

uint64_t MessageLooks() { return looks; }
}  // namespace core::detail

}  // namespace plat
