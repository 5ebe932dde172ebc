#pragma once

#include <QFont>
#include <QRect>
#include <QtGlobal>

class QWidget;

namespace zandor::ui {

constexpr double kTwipsPerInch = 1440.0;

// Converts the window's designer positions (twips, 1/1440 inch) to pixels through the
// screen's logical resolution, so the window keeps its proportions at any DPI setting.
class Twips {
public:
    explicit Twips(const QWidget* onScreenOf);
    Twips(double dpiX, double dpiY) : dpiX_(dpiX), dpiY_(dpiY) {}

    int x(int twips) const { return qRound(twips * dpiX_ / kTwipsPerInch); }
    int y(int twips) const { return qRound(twips * dpiY_ / kTwipsPerInch); }
    QRect rect(int left, int top, int width, int height) const
    {
        return QRect(x(left), y(top), x(width), y(height));
    }
    void place(QWidget* widget, int left, int top, int width, int height) const;

private:
    double dpiX_;
    double dpiY_;
};

// The font of every window of the program: Tahoma 8.25 pt (the platform substitutes a
// near face where Tahoma is missing).
QFont WindowFont();

}  // namespace zandor::ui
