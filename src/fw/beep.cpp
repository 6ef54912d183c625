#include "beep.h"

#include <QApplication>

namespace {

class QtBeep final : public BeepSink {
public:
    void Beep(unsigned) override { QApplication::beep(); }
};

QtBeep g_qtBeep;
BeepSink* g_sink = &g_qtBeep;

} // namespace

BeepSink* SetBeepSink(BeepSink* sink) {
    BeepSink* before = g_sink;
    g_sink = sink ? sink : &g_qtBeep;
    return before;
}

void MessageBeep(unsigned type) {
    g_sink->Beep(type);
}
