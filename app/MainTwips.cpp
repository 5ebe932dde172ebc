#include "MainTwips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zandor::app {

namespace {
constexpr double kFallbackDpi = 96.0;  // no screen at all: the common desktop resolution

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

}  // namespace zandor::app
