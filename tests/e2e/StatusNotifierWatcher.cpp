// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatusNotifierWatcher.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDebug>

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString DefaultItemPath = QStringLiteral("/StatusNotifierItem");

} // namespace

// The watcher's interface as items and hosts see it on the bus.
class StatusNotifierWatcherAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredStatusNotifierItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    explicit StatusNotifierWatcherAdaptor(StatusNotifierWatcher *watcher)
        : QDBusAbstractAdaptor(watcher)
        , m_watcher(watcher)
    {
        connect(watcher, &StatusNotifierWatcher::itemRegistered, this,
                &StatusNotifierWatcherAdaptor::StatusNotifierItemRegistered);
        connect(watcher, &StatusNotifierWatcher::itemUnregistered, this,
                &StatusNotifierWatcherAdaptor::StatusNotifierItemUnregistered);
    }

    QStringList registeredStatusNotifierItems() const
    {
        QStringList ids;
        for (const StatusNotifierWatcher::Item &item : m_watcher->items())
            ids << item.id();
        return ids;
    }
    // The panel of this desktop is always there.
    bool isStatusNotifierHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message)
    {
        m_watcher->registerItem(service, message);
    }
    void RegisterStatusNotifierHost(const QString &service) { m_watcher->registerHost(service); }

signals:
    void StatusNotifierItemRegistered(const QString &item);
    void StatusNotifierItemUnregistered(const QString &item);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    StatusNotifierWatcher *m_watcher;
};

StatusNotifierWatcher::StatusNotifierWatcher(const QDBusConnection &connection, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
    , m_owners(QString(), connection, QDBusServiceWatcher::WatchForUnregistration)
{
    new StatusNotifierWatcherAdaptor(this);
    connect(&m_owners, &QDBusServiceWatcher::serviceUnregistered, this,
            &StatusNotifierWatcher::onServiceUnregistered);
}

StatusNotifierWatcher::~StatusNotifierWatcher()
{
    m_connection.unregisterService(WatcherService);
    m_connection.unregisterObject(WatcherPath);
}

bool StatusNotifierWatcher::start()
{
    if (!m_connection.registerObject(WatcherPath, this)) {
        qWarning() << "cannot register" << WatcherPath << m_connection.lastError().message();
        return false;
    }
    if (!m_connection.registerService(WatcherService)) {
        qWarning() << "cannot own" << WatcherService << m_connection.lastError().message();
        return false;
    }
    return true;
}

void StatusNotifierWatcher::registerItem(const QString &serviceOrPath, const QDBusMessage &message)
{
    // Items name either their bus name, with the object at the usual path, or only a path on
    // the connection that calls.
    Item item;
    if (serviceOrPath.startsWith(u'/')) {
        item.service = message.service();
        item.path = serviceOrPath;
    } else {
        item.service = serviceOrPath;
        item.path = DefaultItemPath;
    }
    for (const Item &known : std::as_const(m_items)) {
        if (known.id() == item.id())
            return;
    }
    m_items << item;
    m_owners.addWatchedService(item.service);
    emit itemRegistered(item.id());
}

void StatusNotifierWatcher::registerHost(const QString &)
{
    // The host is always reported as present; another one changes nothing.
}

void StatusNotifierWatcher::onServiceUnregistered(const QString &service)
{
    m_owners.removeWatchedService(service);
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        if (m_items[i].service == service) {
            const QString id = m_items[i].id();
            m_items.removeAt(i);
            emit itemUnregistered(id);
        }
    }
}

namespace {

QList<QSize> readPixmapSizes(const QDBusArgument &argument, bool *malformed)
{
    QList<QSize> sizes;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        // ARGB32, four bytes a pixel.
        if (width <= 0 || height <= 0 || bytes.size() != qsizetype(width) * height * 4)
            *malformed = true;
        sizes << QSize(width, height);
    }
    argument.endArray();
    return sizes;
}

QString readToolTip(const QDBusArgument &argument, QString *text)
{
    // (icon name, icon pixmaps a(iiay), title, text)
    QString iconName;
    QString title;
    argument.beginStructure();
    argument >> iconName;
    bool pixmapsMalformed = false;
    readPixmapSizes(argument, &pixmapsMalformed);
    argument >> title >> *text;
    argument.endStructure();
    return title;
}

} // namespace

StatusNotifierItemState readStatusNotifierItem(const QDBusConnection &connection,
                                               const StatusNotifierWatcher::Item &item)
{
    QDBusMessage getAll = QDBusMessage::createMethodCall(
        item.service, item.path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    getAll << ItemInterface;
    const QDBusReply<QVariantMap> reply = connection.call(getAll, QDBus::Block, 5000);
    StatusNotifierItemState state;
    if (!reply.isValid()) {
        qWarning() << "cannot read" << item.id() << reply.error().message();
        return state;
    }
    const QVariantMap values = reply.value();
    state.valid = true;
    state.id = values.value(QStringLiteral("Id")).toString();
    state.status = values.value(QStringLiteral("Status")).toString();
    state.title = values.value(QStringLiteral("Title")).toString();
    state.iconName = values.value(QStringLiteral("IconName")).toString();
    state.itemIsMenu = values.value(QStringLiteral("ItemIsMenu")).toBool();
    state.menu = values.value(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    const QVariant pixmaps = values.value(QStringLiteral("IconPixmap"));
    if (pixmaps.canConvert<QDBusArgument>())
        state.iconPixmapSizes =
            readPixmapSizes(pixmaps.value<QDBusArgument>(), &state.iconPixmapMalformed);
    const QVariant toolTip = values.value(QStringLiteral("ToolTip"));
    if (toolTip.canConvert<QDBusArgument>())
        state.toolTipTitle = readToolTip(toolTip.value<QDBusArgument>(), &state.toolTipText);
    return state;
}

void sendToStatusNotifierItem(const QDBusConnection &connection,
                              const StatusNotifierWatcher::Item &item, const QString &method, int x,
                              int y)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(item.service, item.path, ItemInterface, method);
    call << x << y;
    connection.send(call);
}

#include "StatusNotifierWatcher.moc"
