#pragma once

namespace mirelka {

// The program's icon in the notification area; its mouse events come back to the dialog.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // False when the icon is not there afterwards (the shell not ready, say).
    virtual bool Add() = 0;
    virtual void Remove() = 0;
};

}  // namespace mirelka
