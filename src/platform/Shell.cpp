#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

#include "platform/Platform.h"

bool ShellOpen(const std::string& urlOrPath) {
    // The desktop services need the GUI application's platform plug-in.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    const QUrl url = QUrl::fromUserInput(QString::fromStdString(urlOrPath));
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool StartDetached(const std::string& program, const std::vector<std::string>& args) {
    QStringList arguments;
    for (const std::string& arg : args) arguments << QString::fromStdString(arg);
    return QProcess::startDetached(QString::fromStdString(program), arguments);
}
