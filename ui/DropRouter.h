#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include "ConverterEngine.h"

// Hands a drop (or the paths given on the command line) to the engine's
// entry points: a folder job or a files job.
class DropRouter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ConverterEngine *engine READ engine WRITE setEngine NOTIFY engineChanged)
public:
    explicit DropRouter(QObject *parent = nullptr);

    ConverterEngine *engine() const { return m_engine; }
    void setEngine(ConverterEngine *engine);

    // Returns whether the drop is accepted: refused only when nothing was
    // dropped. Items that are not local files are skipped.
    Q_INVOKABLE bool handleDrop(const QList<QUrl> &items);

signals:
    void engineChanged();
    // Emitted just before the engine's entry point is called.
    void folderJobRequested(const QUrl &folder);
    void filesJobRequested(const QList<QUrl> &files);

private:
    QPointer<ConverterEngine> m_engine;
};
