#include "platform/window_system.h"

#include <QByteArray>
#include <QtGlobal>

namespace horalux {

void PrepareWindowSystem() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", QByteArray("1"));
    }
}

}  // namespace horalux
