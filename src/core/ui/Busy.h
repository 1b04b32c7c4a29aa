#pragma once

namespace mirelka {

// Set while a launch runs, a shortcut is read or a command or tab change is handled. The
// system runs message loops meanwhile (the wait that answers sent messages, the shell's dialog
// for a missing target, the file dialog, message boxes) which deliver the icon's clicks,
// commands and button presses: none of them may start anything.
class Busy {
public:
    bool Now() const { return depth_ > 0; }

    // Busy for as long as it lives.
    class Scope {
    public:
        explicit Scope(Busy& busy) : busy_(busy) { ++busy_.depth_; }
        ~Scope() { --busy_.depth_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        Scope(Scope&&) = delete;
        Scope& operator=(Scope&&) = delete;

    private:
        Busy& busy_;
    };

private:
    int depth_ = 0;
};

}  // namespace mirelka
