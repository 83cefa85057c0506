// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Keeps to one Tavlo per user and display, through the session bus: the first start owns a
// well-known name there and answers Activate calls; a later start calls Activate and ends. The
// bus drops a name when its owner's connection goes, so a crashed Tavlo never blocks a start.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "example.tavlo.Tavlo")
public:
    enum class Claim {
        // This process is the Tavlo of its display, or there is no session bus to ask.
        Run,
        // The Tavlo already running has come forward; this process ends.
        HandedOver,
        // A Tavlo runs but did not answer; this process ends rather than make a second one.
        Unanswered,
    };

    using QObject::QObject;

    // Takes busName (see instanceBusName) for this process or hands over to its owner. An empty
    // name, or no reachable session bus, means Run: Tavlo starts as if it were alone.
    Claim claim(const QString &busName);
    // Gives the name up, so that a later start runs a Tavlo of its own: this one is ending,
    // though it may still be finishing a save out of sight.
    void release();

public slots:
    // The method on the bus, called by a later start of Tavlo on the same display.
    Q_SCRIPTABLE void Activate();

signals:
    // Another start asked for the window to be shown, raised and activated.
    void activationRequested();

private:
    // The name this process owns; empty when it owns none.
    QString m_busName;
};
