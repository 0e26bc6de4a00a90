#include "DocumentLink.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

QString DocumentLink::localUrl(const QString &appDir, const QString &relativePath)
{
    // fromLocalFile gives three slashes for "/opt/..." and for "C:/...", where
    // pasting the directory after "file:///" would give four on Linux.
    return QUrl::fromLocalFile(QDir(appDir).filePath(relativePath)).toString();
}

QString DocumentLink::anchor(const QString &appDir, const QString &relativePath, const QString &text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(localUrl(appDir, relativePath).toHtmlEscaped(), text);
}

QString DocumentLink::failureText(const QString &link)
{
    return QCoreApplication::translate("DocumentLink", "Failed to open ") + link
        + QCoreApplication::translate("DocumentLink", " Do you have a PDF reader installed?");
}

bool DocumentLink::open(const QString &link, QWidget *parent)
{
    const QUrl url(link);
    bool opened = url.isValid();
    if (opened && url.isLocalFile())
        opened = QFileInfo(url.toLocalFile()).isFile();
    if (opened)
        opened = QDesktopServices::openUrl(url);
    if (!opened)
        QMessageBox::warning(parent, QCoreApplication::translate("DocumentLink", "Error"), failureText(link));
    return opened;
}
