#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

// An `xdg-open` that records each call instead of opening anything: one file per call holding
// the working folder on its first line, then every argument followed by a NUL byte. Put its
// folder first on PATH. The file is renamed into place when complete, so a call is never read
// half written, and calls running at the same time never mix.
class RecordingXdgOpen {
public:
    struct Call {
        QByteArray workingFolder;
        QByteArrayList arguments;
    };

    // `then` is shell text run after the call is recorded, e.g. to fail as xdg-open may.
    explicit RecordingXdgOpen(const QByteArray& then = {}) {
        QDir().mkpath(recordFolder());
        QFile script(binFolder() + QStringLiteral("/xdg-open"));
        if (!script.open(QIODevice::WriteOnly))
            qFatal("cannot write the recording xdg-open");
        script.write("#!/bin/sh\n"
                     "record='" +
                     recordFolder().toUtf8() +
                     "'/call.$$\n"
                     "{ pwd; printf '%s\\0' \"$@\"; } > \"$record.part\" && "
                     "mv \"$record.part\" \"$record\"\n" +
                     then);
        script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeGroup |
                              QFile::ExeOther);
    }

    // The folder to put first on PATH.
    QString binFolder() const { return folder_.path(); }
    // PATH with the recording xdg-open first.
    QByteArray pathWithRecorderFirst() const {
        return binFolder().toUtf8() + ':' + qgetenv("PATH");
    }

    QList<Call> calls() const {
        QList<Call> result;
        const QDir records(recordFolder());
        for (const QString& name : records.entryList({QStringLiteral("call.*")}, QDir::Files)) {
            if (name.endsWith(QStringLiteral(".part")))
                continue;
            QFile file(records.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            const qsizetype lineEnd = bytes.indexOf('\n');
            Call call{bytes.left(lineEnd), {}};
            QByteArray rest = bytes.mid(lineEnd + 1);
            while (!rest.isEmpty()) {
                const qsizetype end = rest.indexOf('\0');
                call.arguments.append(rest.left(end));
                rest = rest.mid(end + 1);
            }
            result.append(call);
        }
        return result;
    }

private:
    QString recordFolder() const { return folder_.path() + QStringLiteral("/calls"); }

    QTemporaryDir folder_;
};
