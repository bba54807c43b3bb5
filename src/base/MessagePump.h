#pragma once
// "Let pending window messages run": one process-wide hook. The window installs one that processes
// Qt events; the command line installs one that notices Ctrl-C. The core only calls it.
#include <functional>

namespace linkmend {

using MessagePumpHook = std::function<void()>;

// Installs the hook for the calling thread (an empty function restores the no-op default);
// returns the previous one.
MessagePumpHook SetMessagePump(MessagePumpHook hook);

// Lets pending window messages run; a no-op until a hook is installed, and on any thread but the
// one that installed it.
void LetWindowMessagesRun();

}  // namespace linkmend
