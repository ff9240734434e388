#pragma once

#include <functional>

namespace kelvaris {

// A handler of an event that carries no arguments: a click, a change, a
// timer's tick, a window's resize.
using EventHandler = std::function<void()>;

} // namespace kelvaris
