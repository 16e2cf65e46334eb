#pragma once

#include <QLocalServer>
#include <QObject>

// One greeting per desktop session. The first start listens on a local socket
// in the user's runtime folder, named after the display it shows on; a later
// start on the same display finds it there, has it come to the front and ends.
// Other users, other sessions and other displays each have a socket of their own.
class SessionInstance : public QObject
{
    Q_OBJECT
public:
    // Looks for a greeting already open; listens in its place when there is none.
    // Needs the application object.
    SessionInstance();

    // Another start in this session shows its greeting and has been asked to
    // come to the front: this start has nothing to show.
    bool handedOver() const { return handedOver_; }

Q_SIGNALS:
    // A later start in this session asks the open greeting to come to the front.
    void anotherStart();

private:
    void answer();

    QLocalServer server_;
    bool handedOver_ = false;
};
