#pragma once

#include <QString>
#include <exception>

// A failure raised by a handler, a control or a file operation. Where an event is dispatched it is
// caught and shown as the application's error report; only the handling of that event ends.
class Failure : public std::exception {
public:
    explicit Failure(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString &message() const { return message_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};
