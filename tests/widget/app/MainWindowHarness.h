#pragma once

// A main window on a settings store in a temporary folder, a port and an event pump of the
// test's choice, and message boxes recorded instead of shown.

#include "ui/MessageBoxes.h"
#include "app/frmMain.h"
#include "platform/QtSettingsStore.h"
#include "support/FakeEventPump.h"
#include "support/FakeSerialPort.h"
#include "support/SimulatedTarget.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

namespace zandor::testing {

class MainWindowHarness {
public:
    explicit MainWindowHarness(platform::ISerialPort* port = nullptr,
                               platform::IEventPump* pump = nullptr)
        : store(dir.filePath(QStringLiteral("Zandor.ini"))),
          port_(port ? port : &fakePort), pump_(pump ? pump : &fakePump)
    {
        ui::SetMessageBoxHook([this](const ui::MessageBoxRequest& box) {
            boxes.append(box);
            if (onBox)
                onBox(box);
        });
    }
    ~MainWindowHarness()
    {
        window.reset();
        ui::SetMessageBoxHook({});
        QDir::setCurrent(cwdBefore_);
    }

    // The profile's relative file names then resolve in the harness's folder.
    void enterFolder() { QDir::setCurrent(dir.path()); }
    // Copies the sample loaders and images into the harness's folder and enters it.
    void enterFolderWithSamples()
    {
        const QDir samples(SamplesDir());
        for (const QString& name : samples.entryList({"*.sre", "*.bin"}, QDir::Files))
            QFile::copy(samples.filePath(name), dir.filePath(name));
        enterFolder();
    }
    app::frmMain& start(const QString& commandLine = QString())
    {
        window = std::make_unique<app::frmMain>(store, *port_, *pump_, commandLine);
        window->Load();
        return *window;
    }
    template <typename T>
    T* control(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
    void click(const char* name) const { control<QAbstractButton>(name)->click(); }
    QLineEdit* fileField() const { return control<QLineEdit>("txtC167ApplFile"); }
    // The status bar panel's text; panel 3 is the download's progress bar.
    QString panel(int number) const
    {
        if (number == 3)
            return progressBar()->text();
        return control<QLabel>(("staPanel" + QByteArray::number(number)).constData())->text();
    }
    QProgressBar* progressBar() const { return control<QProgressBar>("staPanel3Progress"); }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const ui::MessageBoxRequest& box : boxes)
            texts.append(box.text);
        return texts;
    }
    QString stored(const QString& section, const QString& key)
    {
        return store.readKey(section, key, QStringLiteral("<missing>"));
    }

    QTemporaryDir dir;
    platform::QtSettingsStore store;
    FakeSerialPort fakePort;
    FakeEventPump fakePump;
    QList<ui::MessageBoxRequest> boxes;
    std::function<void(const ui::MessageBoxRequest&)> onBox;
    std::unique_ptr<app::frmMain> window;

private:
    QString cwdBefore_ = QDir::currentPath();
    platform::ISerialPort* port_;
    platform::IEventPump* pump_;
};

inline const QString kNotResponding = QStringLiteral(
    "The target device is not responding\nPlease Reset your target device\nand press the Reset button.");
inline const QString kCommPortError = QStringLiteral(
    "Comm port error.\nPlease choose another COMM Port\nin the Profile..., Properties menu");
inline const QString kFileError =
    QStringLiteral("Error loading file. Please check the Appl. File name");
inline const QString kTitle = QStringLiteral("Varnex Controller Programming Tool");

}  // namespace zandor::testing
