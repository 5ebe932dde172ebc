#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zandor::ui {

namespace {
constexpr double kFallbackDpi = 96.0;  // no screen at all: the common desktop resolution

const char* const kWindowFontFamily = "Tahoma";
constexpr double kWindowFontPoints = 8.25;

double Usable(double dpi)
{
    return dpi > 0.0 ? dpi : kFallbackDpi;
}
}  // namespace

Twips::Twips(const QWidget* onScreenOf)
{
    QScreen* screen = onScreenOf ? onScreenOf->screen() : QGuiApplication::primaryScreen();
    dpiX_ = Usable(screen ? screen->logicalDotsPerInchX() : 0.0);
    dpiY_ = Usable(screen ? screen->logicalDotsPerInchY() : 0.0);
}

void Twips::place(QWidget* widget, int left, int top, int width, int height) const
{
    widget->setGeometry(rect(left, top, width, height));
}

QFont WindowFont()
{
    QFont font{QString::fromLatin1(kWindowFontFamily)};
    font.setPointSizeF(kWindowFontPoints);
    return font;
}

}  // namespace zandor::ui
