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
    // Back to the style's own colours, as if the dark theme had never been on.
    static void applyBright(QApplication *app);
    static void apply(QWidget *widget, bool dark);
    // Icons come in a light and a dark drawing; this picks by the widget's palette.
    static bool isDark(const QWidget *widget);
    static QString icon(const QWidget *widget, const QString &name);
};
