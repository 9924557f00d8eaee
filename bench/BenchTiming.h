#pragma once

// What the benchmarks share: the median of repeated runs, and the wall time
// of one piece of work.

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/// Wall time of f() in milliseconds.
template<typename F>
double wallMs(F f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace bench
