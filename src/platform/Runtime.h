#pragma once

#include <QString>
#include <functional>

namespace kelvaris {

// Processes the pending events of the GUI thread, then returns.
void DoEvents();

// Yields once, then keeps yielding until `seconds` have passed since just
// after that first yield. Sleeps in the event loop between events instead
// of spinning, and measures with a monotonic clock, so midnight and clock
// changes do not stretch it.
void yieldFor(double seconds);

// Ends the program at once: no further handler runs. Tests replace the
// ending with their own function, which returns; the caller then returns
// without doing anything more.
void End();
using EndFunction = std::function<void()>;
// Installs `function` (an empty one restores the real ending); returns the previous one.
EndFunction setEndFunction(EndFunction function);

// A message box with exactly the given text, buttons and title and no icon.
enum class MessageButtons
{
    Ok,
    OkCancel
};
enum class MessageResult
{
    Ok,
    Cancel
};
MessageResult MsgBox(const QString& text, MessageButtons buttons, const QString& title);
using MessageBoxFunction =
    std::function<MessageResult(const QString& text, MessageButtons buttons, const QString& title)>;
MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function);

// The directory of the running executable.
QString executableDir();
// Makes executableDir() answer `dir` (tests; an empty text restores the real one).
void setExecutableDirForTesting(const QString& dir);

} // namespace kelvaris
