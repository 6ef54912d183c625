#include "beep.h"

#include <QApplication>

#include "seam.h"

namespace {

class QtBeep final : public BeepSink {
public:
    void Beep(unsigned) override { QApplication::beep(); }
};

Seam<BeepSink, QtBeep> g_sink;

} // namespace

BeepSink* SetBeepSink(BeepSink* sink) {
    return g_sink.Set(sink);
}

void MessageBeep(unsigned type) {
    g_sink->Beep(type);
}
