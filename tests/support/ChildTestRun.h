#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <unistd.h>

// Runs one case of this test program again in a child process, for faults that must not hit
// the test itself: a read that blocks for ever, a memory limit, a kill. The case does its child
// half when isChild(), on the settings folder the parent prepared; the parent judges what the
// child left there.
class ChildTestRun {
public:
    static bool isChild() { return qEnvironmentVariableIsSet(marker); }
    static QString configFolder() { return qEnvironmentVariable(marker); }
    // The test function running now, with its data tag: the case to run again.
    static QString thisCase() {
        const QString function = QLatin1String(QTest::currentTestFunction());
        const char* tag = QTest::currentDataTag();
        return tag != nullptr ? function + QLatin1Char(':') + QLatin1String(tag) : function;
    }

    // `testCase` is "function" or "function:data tag". Unprivileged, a child of root runs as
    // "nobody", whom permission bits stop and who cannot write to /dev.
    ChildTestRun(const QString& testCase, const QString& configFolder, bool unprivileged = false) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(marker), configFolder);
        environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
        // The child's own temporary folders go into one of the parent's: a killed child
        // cannot remove them, the parent does.
        environment.insert(QStringLiteral("TMPDIR"), childTemporaryFolder_.path());
        const QByteArray temporary = QFile::encodeName(childTemporaryFolder_.path());
        if (unprivileged && ::geteuid() == 0 && ::chown(temporary.constData(), 65534, 65534) != 0) {
            // Not started: finishWithin() and waitForOutput() fail, and output() says why.
            output_ = "cannot give the child's temporary folder to nobody: " +
                      QByteArray(std::strerror(errno));
            return;
        }
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        const QString self = QCoreApplication::applicationFilePath();
        if (unprivileged && ::geteuid() == 0)
            process_.start(QStringLiteral("setpriv"),
                           {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                            QStringLiteral("--clear-groups"), self, testCase});
        else
            process_.start(self, {testCase});
    }
    ~ChildTestRun() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    // False when the child ends, or the time runs out, before it has written `text`.
    bool waitForOutput(const QByteArray& text, int timeoutMs) {
        while (!output_.contains(text) && process_.waitForReadyRead(timeoutMs))
            output_ += process_.readAll();
        return output_.contains(text);
    }

    // True when the child ended in time and its case passed; one that did not end is killed.
    bool finishWithin(int timeoutMs) {
        const bool ended = process_.waitForFinished(timeoutMs);
        output_ += process_.readAll();
        return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

    qint64 pid() const { return process_.processId(); }
    const QByteArray& output() const { return output_; }

private:
    static constexpr const char* marker = "CORVANTIS_CHILD_TEST_CONFIG";

    QTemporaryDir childTemporaryFolder_;
    QProcess process_;
    QByteArray output_;
};
