// What the editor's benchmarks share: an application on the offscreen platform, so that they
// run without a display, and the median of repeated timings.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <vector>

class OffscreenApplication : public QApplication {
public:
    OffscreenApplication(int& argc, char** argv) : QApplication(Offscreen(argc), argv) {}

private:
    static int& Offscreen(int& argc) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc;
    }
};

template <class T> T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// How long one run of step takes, in milliseconds.
template <class Step> qint64 ElapsedMs(Step step) {
    QElapsedTimer timer;
    timer.start();
    step();
    return timer.elapsed();
}

// The median time of rounds runs of step, in milliseconds.
template <class Step> qint64 MedianMs(Step step, int rounds = 5) {
    std::vector<qint64> times;
    for (int round = 0; round < rounds; ++round)
        times.push_back(ElapsedMs(step));
    return Median(times);
}
