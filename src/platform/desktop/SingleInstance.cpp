// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace {

const QString ObjectPath = QStringLiteral("/example/tavlo/Tavlo");
const QString Interface = QStringLiteral("example.tavlo.Tavlo");
// Long enough for a loaded machine, short enough not to leave a start hanging on a stuck Tavlo.
constexpr int AnswerTimeoutMs = 10000;
// The owner may end between our failed claim and our call; the name is then free to take.
constexpr int Attempts = 3;

bool ownerIsGone(const QDBusMessage &answer)
{
    // The bus answers ServiceUnknown when it would start a service by the name, else
    // NameHasNoOwner, which Qt has no type for.
    return QDBusError(answer).type() == QDBusError::ServiceUnknown ||
           answer.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

QDBusMessage callActivate(const QDBusConnection &bus, const QString &busName)
{
    const QDBusMessage call =
        QDBusMessage::createMethodCall(busName, ObjectPath, Interface, QStringLiteral("Activate"));
    return bus.call(call, QDBus::Block, AnswerTimeoutMs);
}

} // namespace

SingleInstance::Claim SingleInstance::claim(const QString &busName)
{
    if (busName.isEmpty())
        return Claim::Run;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Without a session bus (a bare X session, a rescue shell) Tavlo cannot find another one and
    // starts as before, rather than not at all.
    if (!bus.isConnected())
        return Claim::Run;
    // In place before the name is taken, so that whoever finds the name finds the method.
    bus.registerObject(ObjectPath, this, QDBusConnection::ExportScriptableSlots);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus.interface()->registerService(busName);
        // A bus whose policy refuses the name is treated like no bus.
        if (!reply.isValid())
            return Claim::Run;
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_busName = busName;
            return Claim::Run;
        }
        const QDBusMessage answer = callActivate(bus, busName);
        if (answer.type() == QDBusMessage::ReplyMessage)
            return Claim::HandedOver;
        if (!ownerIsGone(answer)) {
            qWarning("tavlo: the Tavlo already running on this display did not answer: %s",
                     qPrintable(answer.errorMessage()));
            return Claim::Unanswered;
        }
    }
    return Claim::Unanswered;
}

void SingleInstance::release()
{
    if (m_busName.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_busName);
    bus.unregisterObject(ObjectPath);
    m_busName.clear();
}

void SingleInstance::Activate()
{
    emit activationRequested();
}
