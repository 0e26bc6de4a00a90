#pragma once

#include <QPalette>

class QApplication;
class QWidget;

// The dark colour scheme of the front end. The bright scheme is the style's own.
class Theme
{
public:
    static QPalette darkPalette();
    static void applyDark(QApplication *app);
    static void apply(QWidget *widget, bool dark);
};
