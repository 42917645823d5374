#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP, which a desktop session sends its programs at log-out, and SIGINT
// and SIGQUIT, which a terminal sends, into a signal on the event loop (through a self-pipe), so
// that they close the window normally and the list is saved.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void closeRequested();

private:
    void drainPipe();

    QSocketNotifier* notifier_ = nullptr;
};
