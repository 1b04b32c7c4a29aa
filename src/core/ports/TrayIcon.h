#pragma once

namespace mirelka {

// The program's icon in the notification area; its mouse events come back to the dialog.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void Add() = 0;
    virtual void Remove() = 0;
};

}  // namespace mirelka
