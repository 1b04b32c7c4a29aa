#pragma once

namespace mirelka {

// A shortcut's "Run" setting: how the program it starts shows its first window.
enum class WindowShow { Normal, Minimized, Maximized };

}  // namespace mirelka
