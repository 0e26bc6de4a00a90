#pragma once

#include <QMessageBox>

// Message boxes whose text is shown as it is. Texts that come from a Controller
// (host names, descriptions, versions, replies) are plain text wherever they
// are shown: "<b>x</b>" stays "<b>x</b>", and a line break stays a line break.
namespace PlainTextBox {

inline QMessageBox::StandardButton show(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                        const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return QMessageBox::StandardButton(box.exec());
}

inline void critical(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, QMessageBox::Critical, title, text);
}

inline void warning(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, QMessageBox::Warning, title, text);
}

inline void information(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, QMessageBox::Information, title, text);
}

} // namespace PlainTextBox
