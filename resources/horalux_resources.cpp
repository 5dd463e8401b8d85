#include "resources/horalux_resources.h"

#include <QFile>
#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerHoraluxResources() {
    Q_INIT_RESOURCE(horalux);
}

namespace horalux {

void initResources() {
    static std::once_flag once;
    std::call_once(once, registerHoraluxResources);
}

QString iconPath(int id, int size) {
    return size == 32 ? QStringLiteral(":/icons/%1.png").arg(id)
                      : QStringLiteral(":/icons/%1-%2.png").arg(id).arg(size);
}

QIcon resourceIcon(int id) {
    initResources();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        const QString path = iconPath(id, size);
        if (QFile::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}

QPixmap resourceBitmap(int id) {
    initResources();
    return QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

}  // namespace horalux
