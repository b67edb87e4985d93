// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class ConverterEngine;

// Hands a drop (or the paths given on the command line, or a later launch's)
// to the engine's entry points: a folder job or a files job.
class DropRouter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program makes the one router and hands it to the window.")
public:
    explicit DropRouter(ConverterEngine &engine, QObject *parent = nullptr);

    // Returns whether the drop is accepted: refused only when nothing was
    // dropped. Items that are not local files are skipped.
    Q_INVOKABLE bool handleDrop(const QList<QUrl> &items);

private:
    ConverterEngine &m_engine;
};
