#pragma once

// Environment variables for the child processes a test starts next (the preloaded modem
// lines, for instance), taken back when it goes out of scope: the test process itself runs
// without them.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QtGlobal>

class ChildEnvironment {
public:
    explicit ChildEnvironment(const QList<QPair<QByteArray, QByteArray>>& variables)
    {
        for (const auto& [name, value] : variables) {
            names_ << name;
            qputenv(name.constData(), value);
        }
    }
    ~ChildEnvironment()
    {
        for (const QByteArray& name : names_)
            qunsetenv(name.constData());
    }

private:
    QList<QByteArray> names_;
};
