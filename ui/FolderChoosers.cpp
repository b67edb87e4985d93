// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FolderChoosers.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaType>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtQml/qqml.h>

namespace {

bool isFolder(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// Qt's own dialog lives in these classes; a native one in a platform helper.
bool isBuiltInPart(const QObject *object) {
    return object->inherits("QQuickPlatformFolderDialog") ||
           object->inherits("QQuickFolderDialogImpl");
}

// The item's "Accessible" attached object, made if need be (QtQuick's own
// type, known here only by name).
QObject *accessibleAttached(QObject *item) {
    static const QMetaObject *type = QMetaType::fromName("QQuickAccessibleAttached*").metaObject();
    if (!type)
        return nullptr;
    return qmlAttachedPropertiesObject(item, qmlAttachedPropertiesFunction(item, type), true);
}

} // namespace

FolderChoosers::FolderChoosers(QObject *parent)
    : QObject(parent) {}

QUrl FolderChoosers::startFolder(const QUrl &preferred) const {
    if (preferred.isLocalFile() && isFolder(preferred.toLocalFile()))
        return QUrl::fromLocalFile(QDir::cleanPath(preferred.toLocalFile()));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (isFolder(documents))
        return QUrl::fromLocalFile(documents);
    return QUrl::fromLocalFile(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
}

bool FolderChoosers::isBuiltIn(QObject *dialog) const {
    if (!dialog)
        return false;
    const auto parts = dialog->findChildren<QObject *>();
    return std::any_of(parts.begin(), parts.end(), isBuiltInPart);
}

void FolderChoosers::mendBuiltIn(QQuickWindow *window) const {
    if (!window)
        return;
    QQuickItem *list = nullptr;
    QQuickItem *lastButton = nullptr; // of the button box: Cancel
    QList<QQuickItem *> pending{window->contentItem()};
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeLast();
        pending << item->childItems();
        if (item->objectName() == QLatin1String("fileDialogListView"))
            list = item;
        if (!item->inherits("QQuickAbstractButton"))
            continue;
        // Its Accessible attached object signals the press; the button then
        // clicks as for a mouse.
        if (QObject *attached = accessibleAttached(item))
            QObject::connect(attached, SIGNAL(pressAction()), item, SIGNAL(clicked()),
                             Qt::UniqueConnection);
        QQuickItem *box = item->parentItem() ? item->parentItem()->parentItem() : nullptr;
        for (; box && !box->inherits("QQuickDialogButtonBox"); box = box->parentItem()) {
        }
        if (box &&
            (!lastButton || item->mapToScene({0, 0}).x() > lastButton->mapToScene({0, 0}).x()))
            lastButton = item;
    }
    // Tab goes round the folder list and the two buttons; Shift+Tab from the
    // list reaches the path above it.
    if (list && lastButton) {
        QQmlProperty tab(lastButton, QStringLiteral("KeyNavigation.tab"), qmlContext(lastButton));
        tab.write(QVariant::fromValue(list));
    }
}
