#include "Theme.h"

#include <QStyle>

#include <QApplication>
#include <QWidget>

QPalette Theme::darkPalette()
{
    QPalette p;
    const QColor disabled(127, 127, 127);
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    p.setColor(QPalette::Base, QColor(25, 25, 25));
    p.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    p.setColor(QPalette::ToolTipBase, Qt::white);
    p.setColor(QPalette::ToolTipText, QColor(53, 53, 53));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, disabled);
    p.setColor(QPalette::Dark, QColor(35, 35, 35));
    p.setColor(QPalette::Shadow, QColor(20, 20, 20));
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, QColor(42, 130, 218));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, disabled);
    return p;
}

void Theme::applyDark(QApplication *app)
{
    app->setPalette(darkPalette());
    app->setStyleSheet(QStringLiteral(
        "QToolTip { color: #000000; background-color: #ffffff; border: 1px solid white; }"));
}

void Theme::applyBright(QApplication *app)
{
    // The palette first: dropping the style sheet re-polishes every widget,
    // and each must find the bright palette then, or it keeps the dark one.
    app->setPalette(app->style()->standardPalette());
    app->setStyleSheet(QString());
}

void Theme::apply(QWidget *widget, bool dark)
{
    if (!dark)
        return;
    applyDark(qApp);
    widget->setPalette(darkPalette());
}

bool Theme::isDark(const QWidget *widget)
{
    return widget->palette().color(QPalette::Window).lightnessF() < 0.5;
}

// ":/images/icons/NAME.png" on a dark palette, the "-brightmode" drawing otherwise.
QString Theme::icon(const QWidget *widget, const QString &name)
{
    return QStringLiteral(":/images/icons/%1%2.png").arg(name, isDark(widget) ? QString() : QStringLiteral("-brightmode"));
}
