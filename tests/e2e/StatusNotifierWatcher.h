// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

class QDBusMessage;

// What a desktop panel offers StatusNotifierItems on the session bus: the watcher service they
// register with, reporting a host that shows them. It lives in the test and answers from the
// test's event loop.
class StatusNotifierWatcher : public QObject {
    Q_OBJECT
public:
    // An item as a panel addresses it.
    struct Item {
        QString service;
        QString path;
        QString id() const { return service + path; }
    };

    explicit StatusNotifierWatcher(const QDBusConnection &connection, QObject *parent = nullptr);
    ~StatusNotifierWatcher() override;

    // Puts the watcher on the bus; false when the object or the service name cannot be taken.
    bool start();
    QList<Item> items() const { return m_items; }

    // Called by the watcher's D-Bus interface.
    void registerItem(const QString &serviceOrPath, const QDBusMessage &message);
    void registerHost(const QString &service);

signals:
    void itemRegistered(const QString &id);
    void itemUnregistered(const QString &id);

private:
    void onServiceUnregistered(const QString &service);

    QDBusConnection m_connection;
    QDBusServiceWatcher m_owners;
    QList<Item> m_items;
};

// What a panel reads from an item to draw it.
struct StatusNotifierItemState {
    bool valid = false;
    QString id;
    QString status;
    QString title;
    QString iconName;
    QList<QSize> iconPixmapSizes;
    // A picture whose byte count does not match its size.
    bool iconPixmapMalformed = false;
    QString toolTipTitle;
    QString toolTipText;
    QString menu;
    bool itemIsMenu = false;
};

StatusNotifierItemState readStatusNotifierItem(const QDBusConnection &connection,
                                               const StatusNotifierWatcher::Item &item);

// Sends a click the way a panel does, without waiting for the answer: the item may open a menu
// and answer only once the menu is gone.
void sendToStatusNotifierItem(const QDBusConnection &connection,
                              const StatusNotifierWatcher::Item &item, const QString &method, int x,
                              int y);
