#include "base/MessagePump.h"

#include <thread>
#include <utility>

namespace linkmend {
namespace {
MessagePumpHook& Hook() {
    static MessagePumpHook hook;
    return hook;
}
// Window messages belong to the thread that installed the hook; a reader working ahead on a thread
// of its own lets none run.
std::thread::id& Owner() {
    static std::thread::id owner;
    return owner;
}
}  // namespace

MessagePumpHook SetMessagePump(MessagePumpHook hook) {
    Owner() = std::this_thread::get_id();
    return std::exchange(Hook(), std::move(hook));
}

void LetWindowMessagesRun() {
    auto& hook = Hook();
    if (hook && std::this_thread::get_id() == Owner()) hook();
}

}  // namespace linkmend
