// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Appearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QJSEngine>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// Read() answers a variant holding the variant with the value.
std::optional<uint> schemeFromVariant(QVariant value) {
    for (int depth = 0; depth < 4 && value.canConvert<QDBusVariant>(); ++depth)
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = value.toUInt(&ok);
    return ok ? std::optional<uint>(scheme) : std::nullopt;
}
} // namespace

Appearance *Appearance::instance() {
    static Appearance *appearance = new Appearance(qApp);
    return appearance;
}

Appearance *Appearance::create(QQmlEngine *, QJSEngine *) {
    Appearance *appearance = instance();
    QJSEngine::setObjectOwnership(appearance, QJSEngine::CppOwnership);
    return appearance;
}

Appearance::Appearance(QObject *parent)
    : QObject(parent)
    , m_startPalette(QGuiApplication::palette()) {
    update();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // The slot is matched by its parameter types' names: QDBusVariant must be
    // known by name before anything else in the process has used it.
    qRegisterMetaType<QDBusVariant>();
    bus.connect(QString(), portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    readPortal();
}

void Appearance::readPortal() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    message << appearanceNamespace << colorSchemeKey;
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                const QDBusMessage reply = call->reply();
                // No portal, or it predates the key: the palette decides.
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
                    return;
                // A change signalled meanwhile is newer than this answer.
                if (m_portalScheme)
                    return;
                if (const auto scheme = schemeFromVariant(reply.arguments().constFirst()))
                    setPortalColorScheme(*scheme);
            });
}

void Appearance::onSettingChanged(const QString &nameSpace, const QString &key,
                                  const QDBusVariant &value) {
    if (nameSpace != appearanceNamespace || key != colorSchemeKey)
        return;
    if (const auto scheme = schemeFromVariant(value.variant()))
        setPortalColorScheme(*scheme);
}

void Appearance::setPortalColorScheme(uint value) {
    m_portalScheme = value;
    update();
}

void Appearance::update() {
    const bool startDark = m_startPalette.color(QPalette::Window).lightness() < 128;
    bool dark = startDark;
    if (m_portalScheme == 1u)
        dark = true;
    else if (m_portalScheme == 2u)
        dark = false;

    // The palette the application started with, unless it contradicts the
    // desktop's preference.
    const bool switched = dark != startDark;
    if (switched != m_paletteSwitched) {
        QGuiApplication::setPalette(switched ? (dark ? darkPalette() : lightPalette())
                                             : m_startPalette);
        m_paletteSwitched = switched;
    }

    if (dark == m_dark)
        return;
    m_dark = dark;
    emit darkChanged();
}

QPalette Appearance::lightPalette() {
    const QColor window(0xef, 0xef, 0xef);
    const QColor text(Qt::black);
    const QColor disabledText(0xbe, 0xbe, 0xbe);

    QPalette palette(window);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xf7, 0xf7, 0xf7));
    palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 0x80));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, Qt::white);
    palette.setColor(QPalette::Midlight, QColor(0xca, 0xca, 0xca));
    palette.setColor(QPalette::Mid, QColor(0xb8, 0xb8, 0xb8));
    palette.setColor(QPalette::Dark, QColor(0x9f, 0x9f, 0x9f));
    palette.setColor(QPalette::Shadow, QColor(0x76, 0x76, 0x76));
    palette.setColor(QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x00, 0x57, 0xae));
    palette.setColor(QPalette::LinkVisited, QColor(0x5a, 0x2d, 0x9c));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabledText);
    }
    return palette;
}

QPalette Appearance::darkPalette() {
    const QColor window(0x2b, 0x2b, 0x2d);
    const QColor base(0x1f, 0x1f, 0x21);
    const QColor button(0x3a, 0x3a, 0x3c);
    const QColor text(0xec, 0xec, 0xee);
    const QColor disabledText(0x80, 0x80, 0x84);
    const QColor highlight(0x3d, 0x8e, 0xe6);

    QPalette palette(window);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, button);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x60));
    palette.setColor(QPalette::Light, button.lighter(150));
    palette.setColor(QPalette::Midlight, button.lighter(120));
    palette.setColor(QPalette::Mid, button.darker(120));
    palette.setColor(QPalette::Dark, base.darker(130));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, highlight.lighter(120));
    palette.setColor(QPalette::LinkVisited, highlight.lighter(140));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabledText);
    }
    palette.setColor(QPalette::Disabled, QPalette::Highlight, button.lighter(130));
    return palette;
}
