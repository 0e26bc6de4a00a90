#pragma once

#include <QPalette>
#include <QString>

class QApplication;
class QWidget;

// The dark colour scheme of the front end. The bright scheme is the style's own.
class Theme
{
public:
    static QPalette darkPalette();
    static void applyDark(QApplication *app);
    static void apply(QWidget *widget, bool dark);
    // Icons come in a light and a dark drawing; this picks by the widget's palette.
    static bool isDark(const QWidget *widget);
    static QString icon(const QWidget *widget, const QString &name);
};
