#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

namespace zandor::profiles {

// Window positions are designed in twips: 1440 twips make one logical inch, so a dialog
// keeps its proportions on any screen resolution.
constexpr int kTwipsPerInch = 1440;

// The dialogs' font: Tahoma 8.25 pt (the platform substitutes a near face when missing).
inline QFont DialogFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    return font;
}

// Converts twips to pixels through the logical resolution of the widget's screen.
class TwipsLayout {
public:
    explicit TwipsLayout(const QWidget* reference)
        : dpiX_(reference->logicalDpiX()), dpiY_(reference->logicalDpiY())
    {
    }

    int x(int twips) const { return (twips * dpiX_ + kTwipsPerInch / 2) / kTwipsPerInch; }
    int y(int twips) const { return (twips * dpiY_ + kTwipsPerInch / 2) / kTwipsPerInch; }
    QRect rect(int left, int top, int width, int height) const
    {
        return QRect(x(left), y(top), x(width), y(height));
    }
    void place(QWidget* widget, int left, int top, int width, int height) const
    {
        widget->setGeometry(rect(left, top, width, height));
    }

private:
    int dpiX_;
    int dpiY_;
};

}  // namespace zandor::profiles
