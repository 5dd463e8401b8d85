#include "platform/qt_message_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>

namespace horalux {
namespace {

QMessageBox::Icon iconForStyle(unsigned style) {
    switch (style & 0xF0u) {
        case kIconStop:
            return QMessageBox::Critical;
        case kIconQuestion:
            return QMessageBox::Question;
        case kIconExclamation:
            return QMessageBox::Warning;
        case kIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

void showBox(const QString& text, const QString& caption, unsigned style) {
    QMessageBox box(iconForStyle(style), caption, text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

}  // namespace

QString QtMessageService::defaultCaption() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Error") : name;
}

void QtMessageService::messageBox(const std::string& text, const std::string& caption,
                                  unsigned style) {
    const QString qtext = QString::fromStdString(text);
    const QString qcaption = caption.empty() ? defaultCaption() : QString::fromStdString(caption);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr) {
        // No desktop to show it on (a tool or a test without a QApplication): keep the text.
        std::fprintf(stderr, "%s: %s\n", qcaption.toLocal8Bit().constData(),
                     qtext.toLocal8Bit().constData());
        return;
    }
    if (QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [qtext, qcaption, style] { showBox(qtext, qcaption, style); },
            Qt::QueuedConnection);
        return;
    }
    showBox(qtext, qcaption, style);
}

bool QtMessageService::askYesNo(const std::string& text, const std::string& caption,
                                unsigned style) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return MessageService::askYesNo(text, caption, style);
    }
    const QString qcaption = caption.empty() ? defaultCaption() : QString::fromStdString(caption);
    QMessageBox box(iconForStyle(style), qcaption, QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtMessageService::beep(unsigned /*type*/) {
    // The desktop has one beep for every type.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QApplication::beep(); }, Qt::AutoConnection);
    }
}

}  // namespace horalux
