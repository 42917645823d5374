#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <unistd.h>

// Runs one case of this test program again in a child process, for faults that must not hit
// the test itself: a read that could block for ever, a memory limit, a kill at a random
// moment. The case runs its child half when isChild() says so; the parent prepares the files,
// starts the child and judges what it left behind.
class ChildTestRun {
public:
    static bool isChild() { return qEnvironmentVariableIsSet(marker); }

    // `testCase` is the test function, or "function:data tag".
    explicit ChildTestRun(const QString& testCase) : testCase_(testCase) {
        environment_.insert(QLatin1String(marker), QStringLiteral("1"));
        process_.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~ChildTestRun() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }
    ChildTestRun(const ChildTestRun&) = delete;
    ChildTestRun& operator=(const ChildTestRun&) = delete;

    void setEnvironment(const QString& name, const QString& value) {
        environment_.insert(name, value);
    }

    // As root, the child runs as "nobody", whom permission bits stop and who cannot write
    // to /dev. (Other users run it as themselves.)
    void runUnprivileged() { unprivileged_ = ::geteuid() == 0; }

    bool start() {
        const QString self = QCoreApplication::applicationFilePath();
        process_.setProcessEnvironment(environment_);
        if (unprivileged_)
            process_.start(QStringLiteral("setpriv"),
                           {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                            QStringLiteral("--clear-groups"), self, testCase_});
        else
            process_.start(self, {testCase_});
        return process_.waitForStarted(10000);
    }

    // Waits until the child has written `text` (false when it ends or the time runs out first).
    bool waitForOutput(const QByteArray& text, int timeoutMs) {
        while (!output_.contains(text)) {
            if (!process_.waitForReadyRead(timeoutMs))
                return false;
            output_ += process_.readAll();
        }
        return true;
    }

    // Waits for the child to end; true when it ended in time and its case passed. One that
    // does not end in time is killed.
    bool finishWithin(int timeoutMs) {
        const bool ended = process_.waitForFinished(timeoutMs);
        output_ += process_.readAll();
        if (!ended)
            process_.kill();
        return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

    qint64 pid() const { return process_.processId(); }
    const QByteArray& output() const { return output_; }

private:
    static constexpr const char* marker = "CORVANTIS_CHILD_TEST_RUN";

    QString testCase_;
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
    bool unprivileged_ = false;
    QProcess process_;
    QByteArray output_;
};
