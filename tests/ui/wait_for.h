#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <functional>

namespace horalux::test {

// Processes events until `condition` holds or `timeoutMs` has passed; whether it held. (QtTest's
// QTRY_ macros report to QtTest's own log, which a GoogleTest binary does not read.)
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return condition();
        }
        QTest::qWait(5);
    }
    return true;
}

}  // namespace horalux::test
