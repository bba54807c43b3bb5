#include "base/MessagePump.h"

#include <utility>

namespace linkmend {
namespace {
MessagePumpHook& Hook() {
    static MessagePumpHook hook;
    return hook;
}
}  // namespace

MessagePumpHook SetMessagePump(MessagePumpHook hook) { return std::exchange(Hook(), std::move(hook)); }

void LetWindowMessagesRun() {
    auto& hook = Hook();
    if (hook) hook();
}

}  // namespace linkmend
