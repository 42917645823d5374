#pragma once

#include <QByteArray>
#include <QList>
#include <optional>
#include <utility>

// Sets and unsets environment variables of this process, and puts each back as it was before
// its first change here, set (to its value, an empty one too) or unset: at restore(), or at the
// end of the scope, so also when a failed check has left the test early.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const char* name, const QByteArray& value) { set(name, value); }
    ~ScopedEnvironment() { restore(); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    ScopedEnvironment& set(const char* name, const QByteArray& value) {
        remember(name);
        qputenv(name, value);
        return *this;
    }
    ScopedEnvironment& unset(const char* name) {
        remember(name);
        qunsetenv(name);
        return *this;
    }

    // Every variable back as it was, the last changed first.
    void restore() {
        while (!saved_.isEmpty()) {
            const auto [name, value] = saved_.takeLast();
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }

private:
    void remember(const char* name) {
        for (const auto& [savedName, value] : std::as_const(saved_))
            if (savedName == name)
                return;
        saved_.append({name, qEnvironmentVariableIsSet(name)
                                 ? std::optional<QByteArray>(qgetenv(name))
                                 : std::nullopt});
    }

    QList<std::pair<QByteArray, std::optional<QByteArray>>> saved_;
};
