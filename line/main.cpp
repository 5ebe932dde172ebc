// zandor-line: the production line window. The set-up remembered from the last start,
// the command line's options over it, and --start to begin at once (kiosk use).

#include "LineOptions.h"
#include "LineWindow.h"
#include "platform/ProductInfo.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    using namespace zandor;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The remembered set-up is read before any window system is needed, so --help and
    // usage errors answer on a terminal without a display.
    QSettings remembered(line::SetupFilePath(), QSettings::IniFormat);
    line::LineSetup setup = line::LoadSetup(remembered);
    const line::LineLaunch launch = line::ParseLineArguments(arguments, setup);
    if (!launch.error.isEmpty()) {
        std::fprintf(stderr, "zandor-line: %s (zandor-line --help lists the options)\n", qPrintable(launch.error));
        return 1;
    }
    if (launch.help) {
        std::printf("%s", qPrintable(line::LineUsageText()));
        return 0;
    }
    if (launch.version) {
        std::printf("zandor-line %s\n", qPrintable(platform::VersionString()));
        return 0;
    }

    QApplication application(argc, argv);
    application.setApplicationDisplayName(QStringLiteral("Zandor Production Line"));
    application.setDesktopFileName(QStringLiteral("com.varnex.ZandorLine"));
    line::LineWindow window(setup);
    window.resize(window.screen()->availableSize());  // a station's screen is the line's
    window.show();
    if (launch.start)
        QTimer::singleShot(0, &window, &line::LineWindow::start);
    return application.exec();
}
