// Closes a window the normal way when the process receives SIGINT,
// SIGTERM or SIGHUP, so a logout or a kill saves the game like the close
// box does.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace zorbel
{

class SignalCloser : public QObject
{
    Q_OBJECT
public:
    explicit SignalCloser(QWidget* window);
    ~SignalCloser() override;

private:
    void onSignal();
    QWidget* window_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zorbel
