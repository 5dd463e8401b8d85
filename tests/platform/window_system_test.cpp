#include "platform/window_system.h"

#include <gtest/gtest.h>

#include <QtGlobal>
#include <optional>

namespace horalux {
namespace {

TEST(WindowSystemTest, RepaintsGoOverTheConnectionUnlessTheEnvironmentSaysOtherwise) {
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")
            ? std::optional<QByteArray>(qgetenv("QT_XCB_NO_MITSHM"))
            : std::nullopt;
    struct {
        std::optional<QByteArray> before;
        QByteArray after;
    } const cases[] = {{std::nullopt, "1"}, {QByteArray("0"), "0"}, {QByteArray("1"), "1"}};
    for (const auto& c : cases) {
        if (c.before) {
            qputenv("QT_XCB_NO_MITSHM", *c.before);
        } else {
            qunsetenv("QT_XCB_NO_MITSHM");
        }
        PrepareWindowSystem();
        EXPECT_TRUE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"));
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), c.after);
    }
    if (saved) {
        qputenv("QT_XCB_NO_MITSHM", *saved);
    } else {
        qunsetenv("QT_XCB_NO_MITSHM");
    }
}

}  // namespace
}  // namespace horalux
