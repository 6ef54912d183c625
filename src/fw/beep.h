// The beep. Where the program beeps (a cut input, a refused key) it goes through one
// replaceable sink, so that tests hear it.
#pragma once

constexpr unsigned MB_ICONASTERISK = 0x40;

class BeepSink {
public:
    virtual ~BeepSink() = default;
    virtual void Beep(unsigned type) = 0;
};

// Replaces the sink (null: the real one, QApplication::beep); returns the one before.
BeepSink* SetBeepSink(BeepSink* sink);

void MessageBeep(unsigned type);
