// The program's entry: the settings store of this executable's name, the serial port, the
// event pump the protocol waits with, and the main window.

#include "frmMain.h"

#include "platform/ExecutableName.h"
#include "platform/ProductInfo.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/TracingSerialPort.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

namespace {

// --version and --help answer on the terminal before any window system is needed, so
// they work over ssh and in scripts as well.
bool AnswersOnTerminal(int argc, char* argv[])
{
    using namespace zandor;
    if (argc != 2)
        return false;
    const QByteArray option(argv[1]);
    if (option == "--version") {
        std::printf("Zandor %s\n", qPrintable(platform::VersionString()));
        return true;
    }
    if (option == "--help" || option == "-h") {
        std::printf("usage: Zandor [/Pprofile]\n\n%s: the window. /Pprofile starts with that "
                    "profile.\nzandor-cli --help describes the command line; man Zandor tells "
                    "more.\n",
                    qPrintable(platform::kApplicationTitle));
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[])
{
    using namespace zandor;
    if (AnswersOnTerminal(argc, argv))
        return 0;
    QApplication application(argc, argv);

    const QString applicationName = platform::ExecutableBaseName();
    std::unique_ptr<platform::QtSettingsStore> store =
        platform::QtSettingsStore::ForApplication(applicationName);
    // Profiles that cannot be written would be lost at exit: say so, once per run.
    bool writeFailureShown = false;
    store->setWriteFailureHandler([&writeFailureShown](const QString& text) {
        if (writeFailureShown)
            return;
        writeFailureShown = true;
        ui::ShowMessageBox(nullptr, platform::kApplicationTitle, text, QMessageBox::Warning);
    });

    platform::QtSerialPort comm(
        [&store](int portNumber) { return platform::DeviceNameForPort(*store, portNumber); });
    platform::QtEventPump pump;
    // ZANDOR_TRACE=FILE writes every byte both ways to FILE, as the command line's --trace.
    platform::ISerialPort* port = &comm;
    std::unique_ptr<platform::TracingSerialPort> tracing;
    if (const QString tracePath = qEnvironmentVariable("ZANDOR_TRACE"); !tracePath.isEmpty()) {
        QString error;
        tracing = platform::TracingSerialPort::ToFile(comm, tracePath, &error);
        if (tracing)
            port = tracing.get();
        else
            ui::ShowMessageBox(nullptr, platform::kApplicationTitle, error, QMessageBox::Warning);
    }

    // The command line as one text: the arguments after the program's path, joined by blanks.
    const QString commandLine = application.arguments().mid(1).join(QLatin1Char(' '));
    app::frmMain window(*store, *port, pump, commandLine);
    window.Load();
    if (window.hasShutDown())
        return 0;  // closed while starting up
    return application.exec();
}
