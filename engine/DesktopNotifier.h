#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <atomic>

// Posts desktop notifications through the freedesktop notification service.
// Fire and forget: no session bus or no server means nothing happens.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    enum class Category { TransferComplete, TransferError };

    explicit DesktopNotifier(QObject *parent = nullptr);

    // Callable from any thread; the D-Bus calls are made asynchronously on
    // this object's thread.
    void notify(const QString &title, const QString &body, Category category);

    // No notification is being sent.
    bool isIdle() const { return m_pending == 0; }

    // Escapes what body markup would interpret.
    static QString escapeMarkup(const QString &text);
    static QVariantMap hints(Category category);

signals:
    // The last pending notification has been delivered or dropped.
    void idle();

private:
    void send(const QString &title, const QString &body, Category category);
    void done();

    std::atomic<int> m_pending{0};
};
