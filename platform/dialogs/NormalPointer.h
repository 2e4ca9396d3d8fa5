#pragma once

// While a dialog waits for the user it shows the normal pointer, even when a
// busy command has put the hourglass over the whole program. Held for the
// lifetime of the dialog; the earlier pointer comes back afterwards.
class NormalPointer
{
public:
    NormalPointer();
    ~NormalPointer();
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;

private:
    bool overridden_ = false;
};
