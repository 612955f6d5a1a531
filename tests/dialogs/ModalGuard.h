// Ends a modal loop that failed to end by itself, so a broken dialog fails
// its test instead of hanging it.
#pragma once

#include <QCoreApplication>
#include <QTimer>

struct ModalGuard {
    QTimer timer;
    bool fired = false;

    ModalGuard()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            fired = true;
            // Leaves every running event loop, the dialog's included.
            QCoreApplication::exit(99);
        });
        timer.start(10000);
    }
};
